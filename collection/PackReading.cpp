#include "PackReading.h"

#include "CabinetReader.h"
#include "ContentManifest.h"
#include "PackPicture.h"
#include "PictureReading.h"
#include "UniqueFile.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quillane {
namespace {

// The size the still is kept at: a row's picture.
constexpr int kPictureSide = 32;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Sha256(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) return {};
    return std::string(reinterpret_cast<const char*>(digest), length);
}

// The digest of the pack's files: each file's name (letter case aside, as
// Windows names them) and the digest of its bytes, in the order of the names,
// so that neither the cabinet's order nor its compression changes it.
std::string ContentsDigest(std::vector<std::pair<std::string, std::string>> members) {
    std::sort(members.begin(), members.end());
    std::string all;
    for (const auto& [name, digest] : members) all += name + '\0' + digest;
    return Sha256(all);
}

// The pack's kind in words, by what its items are.
std::string KindOf(const TManifest& manifest) {
    bool winks = false, emoticons = false, pictures = false, others = false;
    for (const TManifestItem& item : manifest.items) {
        if (item.type == "wink") winks = true;
        else if (item.type == "emoticon") emoticons = true;
        else if (item.type == "usertile") pictures = true;
        else others = true;
    }
    if (others) return manifest.packageType.empty() ? "other" : manifest.packageType;
    if (winks + emoticons + pictures > 1) return "theme";
    if (winks) return "wink";
    if (emoticons) return "emoticons";
    return "display pictures";
}

// A pack of one named item is called by that item's name; one of many names none.
std::string TitleOf(const TManifest& manifest) {
    return manifest.items.size() == 1 ? manifest.items.front().name : std::string();
}

std::string ItemNames(const TManifest& manifest) {
    std::string names;
    for (const TManifestItem& item : manifest.items) {
        for (const std::string* text : {&item.name, &item.shortcut}) {
            if (!text->empty()) names += *text + '\n';
        }
    }
    return names;
}

QImage StillOf(const std::string& path) {
    const TPackPicture found = FindPackPicture(path);
    if (found.kind != TPackPicture::Picture) return {};
    const QImage picture = ReadPicture(QByteArray::fromStdString(found.bytes));
    if (picture.isNull()) return {};
    const QImage small = picture.width() > kPictureSide || picture.height() > kPictureSide
                             ? picture.scaled(kPictureSide, kPictureSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             : picture;
    return small.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

TCollectedFile WithProblem(TCollectedFile file, std::string problem) {
    file.problem = std::move(problem);
    return file;
}

}  // namespace

std::optional<TCollectedFile> ReadCollectedFile(const std::string& path, const TFoundFile& found) {
    TCollectedFile file;
    file.path = found.path;
    file.bytes = found.bytes;
    file.modified = found.modified;
    const bool namedAsPack = HasPackExtension(found.path);
    if (found.bytes > kLargestPackFile) {
        if (!namedAsPack) return std::nullopt;
        return WithProblem(std::move(file), "larger than 512 MiB, not read");
    }
    UniqueFd fd = OpenRegularFile(path);
    if (!fd) return WithProblem(std::move(file), std::string("cannot be read: ") + std::strerror(errno));

    char head[4] = {};
    const ssize_t count = pread(fd.get(), head, sizeof head, 0);
    const std::string_view signature(head, count > 0 ? static_cast<std::size_t>(count) : 0);
    const bool cabinet = signature == "MSCF";
    // A .QZK pack is a cabinet without its first byte.
    const bool shortened = signature.substr(0, 3) == "SCF";
    if (!cabinet && !shortened) {
        if (!namedAsPack) return std::nullopt;
        return WithProblem(std::move(file), "not a cabinet");
    }
    const auto reader = TCabinetReader::OpenFile(std::move(fd), shortened);
    if (!reader) return WithProblem(std::move(file), "damaged: its list of files cannot be read");
    const TCabinetReader::TDeclared declared = reader->Declared();
    if (declared.members > kMostFilesInPack || declared.bytes > kLargestPackContents) {
        return WithProblem(std::move(file), "would unpack to more than 64 MiB or 10,000 files, not read");
    }

    const std::vector<std::string> names = reader->Names();
    std::vector<std::pair<std::string, std::string>> members;
    std::optional<std::string> manifestText;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::optional<std::string> bytes = reader->ReadAt(i, kLargestPackContents);
        if (!bytes) {
            return WithProblem(std::move(file),
                               "damaged after " + std::to_string(i) + " of " + std::to_string(names.size()) + " files");
        }
        std::string name = Lower(names[i]);
        std::replace(name.begin(), name.end(), '\\', '/');
        members.emplace_back(name, Sha256(*bytes));
        if (name == "content.xml" && !manifestText) manifestText = std::move(*bytes);
    }
    if (!manifestText) return WithProblem(std::move(file), "no manifest");
    const std::optional<TManifest> manifest = ReadManifestBytes(*manifestText);
    if (!manifest) return WithProblem(std::move(file), "a manifest that cannot be read");

    file.kind = KindOf(*manifest);
    file.title = TitleOf(*manifest);
    file.items = static_cast<int>(manifest->items.size());
    file.itemNames = ItemNames(*manifest);
    file.contents = ContentsDigest(std::move(members));
    file.picture = StillOf(path);
    return file;
}

}  // namespace quillane
