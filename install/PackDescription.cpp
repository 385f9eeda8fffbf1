#include "PackDescription.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <strings.h>
#include <vector>

namespace quillane {
namespace {

struct Kind {
    const char* type;
    const char* singular;
    const char* plural;
};

// Messenger's item types in content.xml.
constexpr Kind kKinds[] = {
    {"emoticon", "emoticon", "emoticons"},
    {"usertile", "display picture", "display pictures"},
    {"background", "background", "backgrounds"},
    {"wink", "wink", "winks"},
    {"dynamicdisplaypicture", "dynamic display picture", "dynamic display pictures"},
};

const Kind* FindKind(const std::string& type) {
    const auto found = std::find_if(std::begin(kKinds), std::end(kKinds), [&](const Kind& kind) { return type == kind.type; });
    return found == std::end(kKinds) ? nullptr : found;
}

constexpr const char* kPackExtensions[] = {".QZK", ".QZC", ".CAB", ".mco"};

}  // namespace

std::string PackTitle(const TStoredPack& pack) {
    if (!pack.title.empty()) return pack.title;
    if (!pack.name.empty()) return pack.name;
    for (const auto& item : pack.items) {
        if (!item.contentId.empty()) return item.contentId;
    }
    return "Pack " + std::to_string(pack.id);
}

std::string PackExportName(const TStoredPack& pack) {
    const std::string title = PackTitle(pack);
    for (const char* extension : kPackExtensions) {
        const std::size_t length = std::strlen(extension);
        if (title.size() > length && strncasecmp(title.c_str() + title.size() - length, extension, length) == 0) {
            return title.substr(0, title.size() - length);
        }
    }
    return title;
}

std::string KindName(const std::string& type) {
    const Kind* kind = FindKind(type);
    return kind ? kind->singular : type;
}

std::string ContentsText(const TStoredPack& pack) {
    // Counted in the order the kinds first appear in the pack.
    std::vector<std::string> order;
    std::map<std::string, int> counts;
    for (const auto& item : pack.items) {
        if (counts[item.type]++ == 0) order.push_back(item.type);
    }
    std::string text;
    for (const auto& type : order) {
        const int count = counts[type];
        const Kind* kind = FindKind(type);
        const std::string name = !kind ? type : count == 1 ? kind->singular : kind->plural;
        if (!text.empty()) text += ", ";
        text += std::to_string(count) + " " + name;
    }
    return text;
}

bool HoldsEmoticons(const TStoredPack& pack) {
    return std::any_of(pack.items.begin(), pack.items.end(), [](const TStoredItem& item) { return item.type == "emoticon"; });
}

}  // namespace quillane
