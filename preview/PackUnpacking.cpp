#include "PackUnpacking.h"

#include "CabinetReader.h"
#include "TextEncoding.h"
#include "WinksGlobal.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace quillane {

std::string TooLargeMessage(const std::string& packPath, std::size_t members, std::uint64_t bytes) {
    return "\"" + fs::path(packPath).filename().string() + "\" would unpack to " + std::to_string(members) + " files of " +
           std::to_string(bytes >> 20) + " MiB. Quillane opens packs of up to " +
           std::to_string(kLargestUnpackedPack >> 20) + " MiB in " + std::to_string(kMostFilesInPack) +
           " files, far more than any Messenger pack holds, so it is not previewed.";
}

void CheckUnpackedSize(const std::string& cabinet, bool restoreFirstByte) {
    const auto reader = TCabinetReader::OpenFile(cabinet, restoreFirstByte);
    if (!reader) throw std::runtime_error("\"" + fs::path(cabinet).filename().string() + "\" is no cabinet");
    const auto declared = reader->Declared();
    if (declared.bytes > kLargestUnpackedPack || declared.members > kMostFilesInPack) {
        throw EPackTooLarge(TooLargeMessage(cabinet, declared.members, declared.bytes));
    }
}

void UnpackCabinet(const TGlobal& global, const std::string& cabinet, const std::string& folder) {
    CheckUnpackedSize(cabinet, false);
    global.RunAndWait({global.AppPath + kCabinetTool, "-o", "X", cabinet, "*.*", folder});
}

void UnpackPack(const TGlobal& global, const std::string& packPath, const std::string& folder,
                const std::string& restoredCabinet) {
    const std::string name = fs::path(packPath).filename().string();
    std::string cabinet = packPath;
    if (UpperCaseUtf8(fs::path(packPath).extension().string()) == ".QZK") {
        // A .QZK is a cabinet without its first byte: checked before it is copied.
        CheckUnpackedSize(packPath, true);
        cabinet = restoredCabinet;
        // Never the previous pack's copy in its place.
        if (!global.RestoreCabinet(packPath, cabinet)) throw std::runtime_error("\"" + name + "\" cannot be read");
    }
    fs::create_directories(folder);
    UnpackCabinet(global, cabinet, folder);
}

TUnpackedPack::TUnpackedPack(const std::string& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        files_.try_emplace(UpperCaseUtf8(it->path().filename().string()), it->path().string());
    }
    const std::string manifest = File("content.xml");
    if (!manifest.empty()) manifest_ = ReadManifest(manifest);
}

std::string TUnpackedPack::File(const std::string& name) const {
    const auto found = files_.find(UpperCaseUtf8(name));
    return found == files_.end() ? std::string() : found->second;
}

}  // namespace quillane
