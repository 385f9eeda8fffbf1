#pragma once

#include <QImage>

#include <cstdint>
#include <string>

namespace quillane {

// One file of a collection as its scan found it: a pack that can be read, or
// a file listed apart with why it cannot be.
struct TCollectedFile {
    // Below the collection's folder, "/" between folders; the bytes of the
    // names as the file system holds them, so that a name that is not UTF-8
    // still opens.
    std::string path;
    std::uint64_t bytes = 0;
    std::int64_t modified = 0;  // nanoseconds since the epoch
    // Why it is no pack that can be read ("not a cabinet", "damaged after 3 of
    // 12 files", ...); empty for a pack.
    std::string problem;
    // "wink", "emoticons", "display pictures", "theme", or what the pack calls itself.
    std::string kind;
    // The pack's name in its manifest; empty when the manifest gives none.
    std::string title;
    int items = 0;
    // The names and shortcuts of its items, one a line, for the filter.
    std::string itemNames;
    // A digest of the files inside, by name and bytes: the same for two
    // copies of a pack whatever their file names or compression.
    std::string contents;
    // The still that stands for the pack, small; null when it holds none.
    QImage picture;

    bool IsPack() const { return problem.empty(); }
};

}  // namespace quillane
