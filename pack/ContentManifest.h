#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillane {

// Messenger's vocabulary of content.xml.
inline constexpr const char* kPackageNamespace = "http://messenger.msn.com/messengercontent/1.0";
inline constexpr const char* kEmoticonNamespace = "http://messenger.msn.com/emoticon/1.0";
inline constexpr const char* kUsertileNamespace = "http://messenger.msn.com/usertile/1.0";

// One item of a content package: an emoticon (with its shortcut), a display
// picture ("usertile") or a wink, whose file is an inner cabinet.
struct TManifestItem {
    std::string type;
    std::string file;
    std::string name;
    std::string shortcut;
    std::string contentId;
};

struct TManifest {
    std::string packageType;
    std::vector<TManifestItem> items;
};

// Reads content.xml: a <package> of the package namespace whose <item>
// children each name a file, in the encoding its declaration names. Nothing
// when the text cannot be read in that encoding, is not well-formed XML,
// not such a package, lists no item, or an item names no file.
std::optional<TManifest> ReadManifest(const std::string& path);
// The same for the bytes of a content.xml.
std::optional<TManifest> ReadManifestBytes(std::string_view bytes);

}  // namespace quillane
