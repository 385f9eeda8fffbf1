#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillane {

// The pieces of a cabinet file as the MS-CAB format lays them out, for a
// cabinet of one folder without reserved areas or neighbouring cabinets.

inline constexpr size_t kCabHeaderSize = 36;
inline constexpr size_t kCabFolderSize = 8;
inline constexpr size_t kCabFileEntryFixedSize = 16;
// A data block holds at most this much of the folder's uncompressed stream.
inline constexpr size_t kCabBlockSize = 32768;
// The most a folder may hold uncompressed: 65535 full data blocks.
inline constexpr uint64_t kCabMaxFolderBytes = 0x7FFF8000;
inline constexpr uint16_t kCabCompressMsZip = 1;
// The file's name is UTF-8 rather than the reader's code page.
inline constexpr uint16_t kCabNameIsUtf8 = 0x80;

struct TCabHeader {
    uint32_t CabinetSize = 0;
    uint32_t FirstFileOffset = 0;
    uint16_t Folders = 0;
    uint16_t Files = 0;
    uint16_t SetId = 0;
    uint16_t CabinetIndex = 0;
};

struct TCabFileEntry {
    uint32_t Size = 0;
    uint32_t FolderOffset = 0;
    uint16_t Date = 0;
    uint16_t Time = 0;
    uint16_t Attributes = 0;
    std::string Name;
};

void AppendHeader(std::string& out, const TCabHeader& header);
void AppendFolder(std::string& out, uint32_t firstBlockOffset, uint16_t blocks, uint16_t compression);
void AppendFileEntry(std::string& out, const TCabFileEntry& entry);
// A data block: its checksum, both sizes and the compressed bytes.
void AppendDataBlock(std::string& out, std::string_view compressed, uint16_t uncompressedSize);

// The cabinet checksum of a run of bytes, continuing from `seed`.
uint32_t CabChecksum(std::string_view bytes, uint32_t seed);

}  // namespace quillane
