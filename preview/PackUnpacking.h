#pragma once

#include "ContentManifest.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <optional>
#include <unordered_map>

namespace quillane {

class TGlobal;

// What a pack may hold once unpacked for a preview. Real packs hold a few
// mebibytes in a few dozen files; a cabinet that says it holds more is refused
// before anything is written.
inline constexpr std::uint64_t kLargestUnpackedPack = std::uint64_t{64} << 20;
inline constexpr std::size_t kMostFilesInPack = 10000;

// A cabinet that would unpack beyond those bounds; its text is the message for the user.
class EPackTooLarge : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Says, in the program's words, that the pack would unpack beyond those bounds.
std::string TooLargeMessage(const std::string& packPath, std::size_t members, std::uint64_t bytes);

// Checks what the cabinet says it holds (`restoreFirstByte` for a .QZK pack,
// which lacks its first byte). Raises EPackTooLarge beyond the bounds and
// std::runtime_error when it is no cabinet at all.
void CheckUnpackedSize(const std::string& cabinet, bool restoreFirstByte);

// Checks the cabinet, then unpacks all it holds into the folder with the
// program's cabinet tool, which gets each name whole whatever it holds.
void UnpackCabinet(const TGlobal& global, const std::string& cabinet, const std::string& folder);

// Unpacks a pack file (.QZK, .QZC, .CAB, .mco) into the folder, which is
// made when missing; a .QZK pack is first restored as `restoredCabinet`.
// Raises EPackTooLarge, or std::runtime_error when the pack cannot be read or
// restored. Touches no window: it may run off the window's thread.
void UnpackPack(const TGlobal& global, const std::string& packPath, const std::string& folder,
                const std::string& restoredCabinet);

// A pack as it lies unpacked in a folder: its files, found by the names its
// manifest gives whatever the letter case of either (packs made on Windows
// name them so), and the manifest itself. The folder is listed once.
class TUnpackedPack {
public:
    explicit TUnpackedPack(const std::string& folder);

    // The path of the file of that name; empty when there is none.
    std::string File(const std::string& name) const;
    // content.xml, read; nothing when it is missing or no manifest.
    const std::optional<TManifest>& Manifest() const { return manifest_; }

private:
    std::unordered_map<std::string, std::string> files_;
    std::optional<TManifest> manifest_;
};

}  // namespace quillane
