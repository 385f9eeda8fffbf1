#pragma once

#include "CollectedFile.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace quillane {

// A regular file found below the folder, not yet opened.
struct TFoundFile {
    std::string path;  // below the folder, as TCollectedFile::path
    std::uint64_t bytes = 0;
    std::int64_t modified = 0;
};

struct TFolderWalk {
    std::vector<TFoundFile> files;
    // Entries listed apart: folders that cannot be read, links out of the
    // folder or to nothing, and pipes, devices and sockets named as packs.
    std::vector<TCollectedFile> problems;
    // Every folder walked, the top one ("") included, for a watch on changes.
    std::vector<std::string> folders;
};

// Walks the folder and everything below it, in the order of the names. A link
// is followed only to what lies inside the folder, and nothing (folder or
// file) is visited twice, so a loop of links ends. Pipes, devices and sockets
// are never opened. `stop` ends the walk early. Throws std::system_error
// when the folder itself cannot be read.
TFolderWalk WalkFolder(const std::string& folder, const std::atomic<bool>& stop);

// Whether the name ends as a pack file's does: .QZK, .QZC, .CAB or .mco, in any case.
bool HasPackExtension(const std::string& name);

}  // namespace quillane
