#include "CabFormat.h"

namespace quillane {
namespace {

void Put8(std::string& out, uint8_t value) {
    out += static_cast<char>(value);
}

void Put16(std::string& out, uint16_t value) {
    Put8(out, value & 0xFF);
    Put8(out, value >> 8);
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

uint32_t Byte(std::string_view bytes, size_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

}  // namespace

void AppendHeader(std::string& out, const TCabHeader& header) {
    out += "MSCF";
    Put32(out, 0);
    Put32(out, header.CabinetSize);
    Put32(out, 0);
    Put32(out, header.FirstFileOffset);
    Put32(out, 0);
    Put8(out, 3);  // format version 1.3
    Put8(out, 1);
    Put16(out, header.Folders);
    Put16(out, header.Files);
    Put16(out, 0);  // no reserved areas, no previous or next cabinet
    Put16(out, header.SetId);
    Put16(out, header.CabinetIndex);
}

void AppendFolder(std::string& out, uint32_t firstBlockOffset, uint16_t blocks, uint16_t compression) {
    Put32(out, firstBlockOffset);
    Put16(out, blocks);
    Put16(out, compression);
}

void AppendFileEntry(std::string& out, const TCabFileEntry& entry) {
    Put32(out, entry.Size);
    Put32(out, entry.FolderOffset);
    Put16(out, 0);  // the one folder
    Put16(out, entry.Date);
    Put16(out, entry.Time);
    Put16(out, entry.Attributes);
    out += entry.Name;
    Put8(out, 0);
}

void AppendDataBlock(std::string& out, std::string_view compressed, uint16_t uncompressedSize) {
    std::string sizes;
    Put16(sizes, static_cast<uint16_t>(compressed.size()));
    Put16(sizes, uncompressedSize);
    Put32(out, CabChecksum(sizes, CabChecksum(compressed, 0)));
    out += sizes;
    out += compressed;
}

uint32_t CabChecksum(std::string_view bytes, uint32_t seed) {
    uint32_t sum = seed;
    size_t i = 0;
    for (; i + 4 <= bytes.size(); i += 4) {
        sum ^= Byte(bytes, i) | Byte(bytes, i + 1) << 8 | Byte(bytes, i + 2) << 16 | Byte(bytes, i + 3) << 24;
    }
    // The last one to three bytes count with the first of them highest.
    uint32_t tail = 0;
    for (; i < bytes.size(); ++i) tail = tail << 8 | Byte(bytes, i);
    return sum ^ tail;
}

}  // namespace quillane
