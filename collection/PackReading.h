#pragma once

#include "CollectedFile.h"
#include "FolderWalk.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quillane {

// What is read of one file, whatever it holds. A pack file larger than this
// is listed by its name and size alone.
inline constexpr std::uint64_t kLargestPackFile = std::uint64_t{512} << 20;
// What a pack may hold once unpacked, as the preview allows: a cabinet that
// says it holds more is not unpacked at all.
inline constexpr std::uint64_t kLargestPackContents = std::uint64_t{64} << 20;
inline constexpr std::size_t kMostFilesInPack = 10000;

// Reads the file found at `path` (the found file's place on the disk): every
// file inside it, for the digest of its contents and to find damage, its
// manifest, and the still that stands for it. A file named as a pack that is
// none is returned with its problem; a file with another name that does not
// begin as a cabinet is no pack at all (nothing).
std::optional<TCollectedFile> ReadCollectedFile(const std::string& path, const TFoundFile& found);

}  // namespace quillane
