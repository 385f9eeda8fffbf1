#include "ContentManifest.h"

#include "TextFile.h"
#include "XmlText.h"

#include <pugixml.hpp>

#include <string_view>

namespace quillane {
namespace {

struct QualifiedName {
    std::string_view prefix;
    std::string_view local;
};

QualifiedName SplitName(std::string_view name) {
    const auto colon = name.find(':');
    if (colon == std::string_view::npos) return {{}, name};
    return {name.substr(0, colon), name.substr(colon + 1)};
}

// The namespace a prefix stands for at the node, from the nearest declaration.
std::string_view NamespaceOf(pugi::xml_node node, std::string_view prefix) {
    const std::string declaration = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
    for (; node; node = node.parent()) {
        if (const auto attribute = node.attribute(declaration.c_str())) return attribute.value();
    }
    return {};
}

bool IsElement(pugi::xml_node node, std::string_view local) {
    const auto name = SplitName(node.name());
    return name.local == local && NamespaceOf(node, name.prefix) == kPackageNamespace;
}

// An attribute of the item in a namespace; "" stands for no namespace (no prefix).
std::string AttributeIn(pugi::xml_node item, std::string_view space, std::string_view local) {
    for (const auto attribute : item.attributes()) {
        const auto name = SplitName(attribute.name());
        if (name.local != local || name.prefix == "xmlns" || (name.prefix.empty() && name.local == "xmlns")) continue;
        const std::string_view attributeSpace = name.prefix.empty() ? std::string_view() : NamespaceOf(item, name.prefix);
        if (attributeSpace == space) return attribute.value();
    }
    return {};
}

TManifestItem ReadItem(pugi::xml_node node) {
    TManifestItem item;
    item.type = AttributeIn(node, "", "type");
    item.file = AttributeIn(node, "", "file");
    item.contentId = AttributeIn(node, "", "contentid");
    if (item.type == "emoticon") {
        item.name = AttributeIn(node, kEmoticonNamespace, "displayname");
        item.shortcut = AttributeIn(node, kEmoticonNamespace, "keysequence");
    } else if (item.type == "usertile") {
        item.name = AttributeIn(node, kUsertileNamespace, "displayname");
    }
    if (item.name.empty()) item.name = AttributeIn(node, "", "displayname");
    return item;
}

}  // namespace

std::optional<TManifest> ReadManifest(const std::string& path) {
    const auto bytes = ReadTextFile(path);
    if (!bytes) return std::nullopt;
    return ReadManifestBytes(*bytes);
}

std::optional<TManifest> ReadManifestBytes(std::string_view bytes) {
    pugi::xml_document document;
    try {
        if (!LoadXmlBytes(document, bytes, pugi::parse_default)) return std::nullopt;
    } catch (const EXmlEncodingError&) {
        return std::nullopt;
    }
    const pugi::xml_node package = document.document_element();
    if (!IsElement(package, "package")) return std::nullopt;

    TManifest manifest;
    manifest.packageType = AttributeIn(package, "", "type");
    for (const auto node : package.children()) {
        if (node.type() != pugi::node_element || !IsElement(node, "item")) continue;
        TManifestItem item = ReadItem(node);
        if (item.file.empty()) return std::nullopt;
        manifest.items.push_back(std::move(item));
    }
    if (manifest.items.empty()) return std::nullopt;
    return manifest;
}

}  // namespace quillane
