#include "PackPicture.h"

#include "CabinetReader.h"
#include "ContentManifest.h"
#include "PictureFiles.h"
#include "UniqueFile.h"

#include <algorithm>
#include <cctype>
#include <unistd.h>

namespace quillane {
namespace {

// Bounds on what is read into memory: a manifest, a picture, a wink's inner
// cabinet. Real packs stay far below them; together they keep a hostile pack
// within the thumbnailer's memory bound.
constexpr std::size_t kManifestLimit = 1 << 20;
constexpr std::size_t kPictureLimit = 4 << 20;
constexpr std::size_t kInnerCabinetLimit = 8 << 20;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The first member of the cabinet that is a picture by its name.
TPackPicture FirstPicture(const TCabinetReader& cabinet) {
    for (const std::string& name : cabinet.Names()) {
        if (!IsPictureFileName(name)) continue;
        auto bytes = cabinet.Read(name, kPictureLimit);
        if (!bytes) return {TPackPicture::Damaged, name, {}};
        return {TPackPicture::Picture, name, std::move(*bytes)};
    }
    return {TPackPicture::NoPicture, {}, {}};
}

// The first four bytes of the file: how a cabinet and a .QZK pack begin.
std::string Signature(int fd) {
    char bytes[4] = {};
    const ssize_t n = pread(fd, bytes, sizeof bytes, 0);
    return n > 0 ? std::string(bytes, static_cast<size_t>(n)) : std::string();
}

}  // namespace

TPackPicture FindPackPicture(const std::string& path) {
    UniqueFd file = OpenRegularFile(path);
    if (!file) return {};
    const std::string signature = Signature(file.get());
    bool restore = false;
    if (signature.rfind("SCF", 0) == 0) {
        restore = true;  // a .QZK pack: a cabinet without its "M"
    } else if (signature != "MSCF") {
        return {};
    }
    const auto cabinet = TCabinetReader::OpenFile(std::move(file), restore);
    if (!cabinet) return {TPackPicture::Damaged, {}, {}};

    const auto names = cabinet->Names();
    const bool hasManifest = std::any_of(names.begin(), names.end(),
                                         [](const std::string& name) { return Lower(name) == "content.xml"; });
    if (!hasManifest) return {TPackPicture::NotAPack, {}, {}};
    const auto text = cabinet->Read("content.xml", kManifestLimit);
    const auto manifest = text ? ReadManifestBytes(*text) : std::nullopt;
    if (!manifest) return {TPackPicture::Damaged, {}, {}};

    for (const TManifestItem& item : manifest->items) {
        if (item.type != "usertile" && item.type != "emoticon") continue;
        auto bytes = cabinet->Read(item.file, kPictureLimit);
        if (!bytes) return {TPackPicture::Damaged, item.file, {}};
        return {TPackPicture::Picture, item.file, std::move(*bytes)};
    }
    for (const TManifestItem& item : manifest->items) {
        if (item.type != "wink") continue;
        // A wink's preview picture beside the manifest, or inside the wink's own cabinet.
        TPackPicture beside = FirstPicture(*cabinet);
        if (beside.kind != TPackPicture::NoPicture) return beside;
        auto inner = cabinet->Read(item.file, kInnerCabinetLimit);
        if (!inner) return {TPackPicture::Damaged, item.file, {}};
        if (inner->rfind("MSCF", 0) != 0) return {TPackPicture::NoPicture, {}, {}};  // the movie itself
        const auto innerCabinet = TCabinetReader::OpenBytes(std::move(*inner));
        if (!innerCabinet) return {TPackPicture::Damaged, item.file, {}};
        return FirstPicture(*innerCabinet);
    }
    return {TPackPicture::NoPicture, {}, {}};
}

}  // namespace quillane
