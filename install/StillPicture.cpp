#include "StillPicture.h"

#include "CabinetReader.h"
#include "ContentManifest.h"
#include "PictureFiles.h"

#include <algorithm>
#include <vector>

namespace quillane {
namespace {

constexpr std::size_t kManifestLimit = 1 << 20;
constexpr std::size_t kPictureLimit = 4 << 20;
// A cabinet that names many pictures none of which is one gets no more reading than this.
constexpr std::size_t kMostTries = 8;

// The members worth reading, the ones the manifest lists first; only names of pictures,
// so that the movie beside them is never unpacked for nothing.
std::vector<std::string> Candidates(const TCabinetReader& cabinet) {
    std::vector<std::string> names;
    if (const auto text = cabinet.Read("content.xml", kManifestLimit)) {
        if (const auto manifest = ReadManifestBytes(*text)) {
            for (const TManifestItem& item : manifest->items) names.push_back(item.file);
        }
    }
    for (const std::string& member : cabinet.Names()) names.push_back(member);
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& name) { return !IsPictureFileName(name); }),
                names.end());
    return names;
}

}  // namespace

std::optional<std::string> StillPictureInCabinet(const std::string& cabinet) {
    const auto reader = TCabinetReader::OpenFile(cabinet, false);
    if (!reader) return std::nullopt;
    const auto names = Candidates(*reader);
    for (std::size_t index = 0; index < names.size() && index < kMostTries; ++index) {
        auto bytes = reader->Read(names[index], kPictureLimit);
        if (bytes && !PictureFormatOf(*bytes).empty()) return bytes;
    }
    return std::nullopt;
}

}  // namespace quillane
