#pragma once

#include "PackPreview.h"

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <utility>

namespace quillane {

// The packs previewed last, kept in memory so that arrowing back and forth
// shows each again at once. A pack is known by its files' names, sizes and
// times: a file changed on the disk is read again. The least recently shown
// go first when the budget is reached; a pack larger than the budget is never kept.
class TPreviewCache {
public:
    static constexpr std::size_t kBudget = std::size_t{64} << 20;

    explicit TPreviewCache(std::size_t budget = kBudget) : budget_(budget) {}

    // The pack kept under the key, now the most recently shown; nothing when none is.
    std::shared_ptr<const TPackPreview> Find(const std::string& key);
    void Keep(const std::string& key, std::shared_ptr<const TPackPreview> preview);
    std::size_t Bytes() const { return bytes_; }

private:
    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::list<std::pair<std::string, std::shared_ptr<const TPackPreview>>> kept_;
};

// A key for the files as they are now: their names, sizes and modification
// times. A missing file counts by its name alone.
std::string PreviewKey(const std::string& path, const std::string& other = {});

}  // namespace quillane
