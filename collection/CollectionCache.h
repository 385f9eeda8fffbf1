#pragma once

#include "CollectedFile.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace quillane {

// What an earlier scan of a folder read, kept in the user's cache folder
// ($XDG_CACHE_HOME/Quillane/collections/, one file a folder), so that the
// next scan reads only the files that changed: an entry counts only for a
// file of the same path, size and modification time.
class TCollectionCache {
public:
    // The cache of the folder, read from its file; empty when there is none
    // or it cannot be read.
    explicit TCollectionCache(const std::string& folder);

    // What was read of the file, when it has not changed since.
    const TCollectedFile* Find(const std::string& path, std::uint64_t bytes, std::int64_t modified) const;

    std::size_t Size() const { return entries_.size(); }

    // Replaces the cache file with these entries, written whole before it
    // takes the old one's place. False when it cannot be written; the scan
    // goes on without it.
    bool Save(const std::vector<TCollectedFile>& files) const;

    // The cache file of the folder.
    static std::string FileFor(const std::string& folder);

private:
    std::string file_;
    std::unordered_map<std::string, TCollectedFile> entries_;
};

}  // namespace quillane
