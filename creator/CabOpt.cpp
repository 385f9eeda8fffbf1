#include "CabOpt.h"

#include "TextEncoding.h"

#include <algorithm>

namespace quillane {
namespace {

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

TCabinetRecord RecordFor(const std::string& packPath) {
    TCabinetRecord record;
    record.CabinetName = FileNameOf(packPath);
    record.CabinetPath = packPath.substr(0, packPath.size() - record.CabinetName.size());
    return record;
}

}  // namespace

TCabinet::TCabinet(TCabinetRecord record) : record_(std::move(record)) {
    pending_.reserve(kCabBlockSize);
}

TCabinet::~TCabinet() = default;

bool TCabinet::AddFile(const std::string& source, const std::string& nameInCabinet) {
    std::optional<TSourceFile> file = OpenSource(source);
    if (!file) return false;
    if (files_.size() == UINT16_MAX) throw ECabinetError("A pack holds at most 65535 files.");
    TCabFileEntry entry;
    entry.FolderOffset = static_cast<uint32_t>(folderBytes_);
    entry.Date = file->Date;
    entry.Time = file->Time;
    entry.Attributes = file->Attributes | (IsAscii(nameInCabinet) ? 0 : kCabNameIsUtf8);
    entry.Name = nameInCabinet;
    for (;;) {
        const size_t start = pending_.size();
        pending_.resize(kCabBlockSize);
        const size_t got = ReadSource(*file, source, pending_.data() + start, kCabBlockSize - start);
        pending_.resize(start + got);
        folderBytes_ += got;
        if (folderBytes_ > kCabMaxFolderBytes) throw ECabinetError("The pack is too large for one cabinet.");
        if (pending_.size() < kCabBlockSize) break;
        CompressPending();
    }
    entry.Size = static_cast<uint32_t>(folderBytes_ - entry.FolderOffset);
    files_.push_back(std::move(entry));
    return true;
}

void TCabinet::CompressPending() {
    AppendDataBlock(blocks_, zip_.CompressBlock(pending_), static_cast<uint16_t>(pending_.size()));
    ++blockCount_;
    pending_.clear();
}

void TCabinet::FlushCabinet() {
    WriteWholeFile(record_.CabinetPath + record_.CabinetName, Bytes());
}

std::string TCabinet::Bytes() {
    if (!pending_.empty()) CompressPending();
    std::string cabinet;
    size_t entriesSize = 0;
    for (const TCabFileEntry& entry : files_) entriesSize += kCabFileEntryFixedSize + entry.Name.size() + 1;
    const size_t firstBlock = kCabHeaderSize + kCabFolderSize + entriesSize;
    cabinet.reserve(firstBlock + blocks_.size());
    TCabHeader header;
    header.CabinetSize = static_cast<uint32_t>(firstBlock + blocks_.size());
    header.FirstFileOffset = kCabHeaderSize + kCabFolderSize;
    header.Folders = 1;
    header.Files = static_cast<uint16_t>(files_.size());
    header.SetId = record_.SetId;
    // The record counts the cabinets of a set from 1, the header from 0.
    header.CabinetIndex = record_.CabinetNumber - 1;
    AppendHeader(cabinet, header);
    AppendFolder(cabinet, static_cast<uint32_t>(firstBlock), blockCount_, kCabCompressMsZip);
    for (const TCabFileEntry& entry : files_) AppendFileEntry(cabinet, entry);
    cabinet += blocks_;
    return cabinet;
}

std::string PackPathFor(std::string chosenPath) {
    if (chosenPath.find('.') == std::string::npos) chosenPath += ".QZK";
    return chosenPath;
}

std::vector<std::string> BuildCabinet(const std::string& chosenPath, const TPackContents& contents,
                                      const std::string& manifestPath, const TPump& pump) {
    const std::string path = PackPathFor(chosenPath);
    // The cabinet marks every name as UTF-8: a name that is not would make a
    // pack whose pictures no reader finds under the manifest's names.
    for (const auto* list : {&contents.Emoticons, &contents.DisplayPictures}) {
        for (const TPackItem& item : *list) {
            if (IsValidUtf8(FileNameOf(item.FullPath))) continue;
            throw ECabinetError("The file name of the picture " + Windows1252ToUtf8(item.FullPath) +
                                " is not UTF-8 text. Please rename the file and add it again.");
        }
    }
    std::vector<std::string> skipped;
    {
        TCabinet cabinet(RecordFor(path));
        const std::vector<std::string> names = CabinetNames(contents);
        size_t index = 0;
        for (const auto* list : {&contents.Emoticons, &contents.DisplayPictures}) {
            for (const TPackItem& item : *list) {
                if (!cabinet.AddFile(item.FullPath, names[index++])) skipped.push_back(item.FullPath);
                pump();
            }
        }
        if (!cabinet.AddFile(manifestPath, "content.xml")) skipped.push_back(manifestPath);
        // A .QZK pack is written shortened in one go: writing the cabinet
        // first and then its shortened copy would give up the old pack for a
        // file that is not yet the new one when the disk fills in between.
        if (UpperCaseUtf8(path).find(".QZK") != std::string::npos) {
            const std::string bytes = cabinet.Bytes();
            WriteWholeFile(path, std::string_view(bytes).substr(1));
        } else {
            cabinet.FlushCabinet();
        }
    }
    return skipped;
}

void MakeQzkFile(const std::string& path) {
    const std::string cabinet = ReadWholeFile(path);
    if (cabinet.empty()) throw ECabinetError("The pack " + path + " is empty.");
    WriteWholeFile(path, std::string_view(cabinet).substr(1));
}

}  // namespace quillane
