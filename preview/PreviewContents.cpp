#include "PreviewContents.h"

#include "CabinetReader.h"
#include "ContentManifest.h"
#include "PackPicture.h"
#include "PackUnpacking.h"
#include "UniqueFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <unistd.h>

namespace quillane {
namespace {

constexpr std::size_t kManifestLimit = 1 << 20;

bool StartsWith(const std::string& bytes, const char* prefix) { return bytes.rfind(prefix, 0) == 0; }

bool IsMovieBytes(const std::string& bytes) {
    return bytes.size() > 8 && (StartsWith(bytes, "FWS") || StartsWith(bytes, "CWS") || StartsWith(bytes, "ZWS"));
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool EndsWith(const std::string& name, const char* extension) {
    const std::string upper = Upper(name);
    const std::string wanted = extension;
    return upper.size() >= wanted.size() && upper.compare(upper.size() - wanted.size(), wanted.size(), wanted) == 0;
}

std::string Quoted(const std::string& path) { return "\"" + std::filesystem::path(path).filename().string() + "\""; }

TPreviewContents Failed(std::string problem) {
    TPreviewContents contents;
    contents.kind = TPreviewContents::Damaged;
    contents.problem = std::move(problem);
    return contents;
}

// A cabinet's bytes read for the preview, within the bounds of an unpacked pack.
std::optional<std::string> ReadMember(const TCabinetReader& cabinet, const std::string& name) {
    return cabinet.Read(name, kLargestUnpackedPack);
}

// The last member whose name ends so, as packs made on Windows were searched; empty when none does.
std::string LastMemberEndingIn(const TCabinetReader& cabinet, const char* extension, bool wanted) {
    std::string found;
    for (const std::string& name : cabinet.Names()) {
        if (EndsWith(name, extension) == wanted) found = name;
    }
    return found;
}

// A wink's file: its own cabinet holding the movie, or the movie itself.
void ReadMovie(const TCabinetReader& outer, const std::string& file, TPreviewContents& contents) {
    auto bytes = ReadMember(outer, file);
    if (!bytes) {
        contents.problem = "The movie " + file + " cannot be read from the pack.";
        return;
    }
    if (IsMovieBytes(*bytes)) {
        contents.movieName = file;
        contents.movie = std::move(*bytes);
        return;
    }
    if (!StartsWith(*bytes, "MSCF")) return;
    const auto inner = TCabinetReader::OpenBytes(std::move(*bytes));
    const std::string movie = inner ? LastMemberEndingIn(*inner, ".SWF", true) : std::string();
    auto movieBytes = movie.empty() ? std::nullopt : ReadMember(*inner, movie);
    if (!movieBytes || !IsMovieBytes(*movieBytes)) {
        contents.problem = "The movie in " + file + " cannot be read.";
        return;
    }
    contents.movieName = movie;
    contents.movie = std::move(*movieBytes);
}

void ReadItems(const TCabinetReader& cabinet, const TManifest& manifest, TPreviewContents& contents) {
    std::string wink;
    std::string picture;
    std::size_t unreadable = 0;
    for (const TManifestItem& item : manifest.items) {
        if (item.type == "emoticon") {
            auto bytes = ReadMember(cabinet, item.file);
            if (bytes) {
                contents.emoticons.push_back({item.name, item.shortcut, std::move(*bytes)});
            } else {
                ++unreadable;
            }
        } else if (item.type == "wink") {
            if (wink.empty()) wink = item.file;
        } else if (picture.empty()) {
            picture = item.file;
        }
    }
    if (!contents.emoticons.empty() || unreadable > 0) {
        contents.kind = contents.emoticons.empty() ? TPreviewContents::Damaged : TPreviewContents::Emoticons;
        if (unreadable > 0) {
            contents.problem = std::to_string(unreadable) + (unreadable == 1 ? " emoticon" : " emoticons") +
                               " of the pack cannot be read.";
        }
        return;
    }
    if (!wink.empty()) return ReadMovie(cabinet, wink, contents);
    if (picture.empty()) return;
    auto bytes = ReadMember(cabinet, picture);
    if (!bytes) {
        contents.problem = "The picture " + picture + " cannot be read from the pack.";
    } else if (IsMovieBytes(*bytes) || StartsWith(*bytes, "MSCF")) {
        ReadMovie(cabinet, picture, contents);
    } else {
        contents.kind = TPreviewContents::Picture;
        contents.picture = std::move(*bytes);
    }
}

}  // namespace

std::size_t TPreviewContents::Bytes() const {
    std::size_t bytes = sizeof(*this) + movieName.size() + movie.size() + picture.size() + problem.size();
    for (const Emoticon& emoticon : emoticons) {
        bytes += sizeof(emoticon) + emoticon.name.size() + emoticon.shortcut.size() + emoticon.bytes.size();
    }
    return bytes;
}

TPreviewContents ReadPreviewContents(const std::string& packPath) {
    const std::string notAPack = Quoted(packPath) + " is not a Messenger pack, or it is damaged.";
    UniqueFd file = OpenRegularFile(packPath);
    if (!file) return Failed(notAPack);
    char head[4] = {};
    const ssize_t got = pread(file.get(), head, sizeof head, 0);
    const std::string signature(head, got > 0 ? static_cast<std::size_t>(got) : 0);
    // A .QZK pack is a cabinet without its first byte, whatever its name says.
    const bool restore = StartsWith(signature, "SCF");
    if (!restore && signature != "MSCF") return Failed(notAPack);
    const auto cabinet = TCabinetReader::OpenFile(std::move(file), restore);
    if (!cabinet) return Failed(notAPack);
    const auto declared = cabinet->Declared();
    if (declared.bytes > kLargestUnpackedPack || declared.members > kMostFilesInPack) {
        return Failed(TooLargeMessage(packPath, declared.members, declared.bytes));
    }

    TPreviewContents contents;
    const auto text = cabinet->Read("content.xml", kManifestLimit);
    const auto manifest = text ? ReadManifestBytes(*text) : std::nullopt;
    if (manifest) {
        ReadItems(*cabinet, *manifest, contents);
    } else {
        // Without a manifest, the one file beside it is taken for the wink's cabinet.
        const std::string inner = LastMemberEndingIn(*cabinet, ".XML", false);
        if (!inner.empty()) ReadMovie(*cabinet, inner, contents);
    }
    if (!contents.movie.empty()) {
        contents.kind = TPreviewContents::Movie;
        contents.picture = StillPictureOf(packPath);
    }
    return contents;
}

std::string StillPictureOf(const std::string& packPath) {
    TPackPicture found = FindPackPicture(packPath);
    return found.kind == TPackPicture::Picture ? std::move(found.bytes) : std::string();
}

}  // namespace quillane
