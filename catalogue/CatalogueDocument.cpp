#include "CatalogueDocument.h"

#include "TextEncoding.h"
#include "TextFile.h"
#include "XmlText.h"

#include <sstream>

namespace quillane {

const char* const kNewListTemplate =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<ContentList>\r\n"
    "<Winks>\r\n"
    "</Winks>\r\n"
    "</ContentList>\r\n";

void TCatalogueDocument::Load(const std::string& fileName) {
    document_.reset();
    const auto content = ReadTextFile(fileName);
    if (!content) throw ECatalogueError("The file " + fileName + " cannot be read");
    const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments;
    pugi::xml_parse_result result;
    try {
        result = LoadXmlBytes(document_, *content, options);
    } catch (const EXmlEncodingError& failure) {
        throw ECatalogueError(fileName + " cannot be read as text: " + failure.what());
    }
    if (!result) {
        document_.reset();
        throw ECatalogueError(fileName + " is not a well-formed catalogue: " + result.description());
    }
}

CatalogueNode TCatalogueDocument::Root() const {
    const CatalogueNode root = document_.document_element();
    if (!root) throw ECatalogueError("The catalogue has no root element");
    return root;
}

int TCatalogueDocument::Count(CatalogueNode node) const {
    int count = 0;
    for (CatalogueNode child = node.first_child(); child; child = child.next_sibling()) ++count;
    return count;
}

CatalogueNode TCatalogueDocument::Child(CatalogueNode node, int index) const {
    CatalogueNode child = node.first_child();
    for (int i = 0; child && i < index; ++i) child = child.next_sibling();
    if (index < 0 || !child) throw ECatalogueError("List index out of bounds (" + std::to_string(index) + ")");
    return child;
}

std::string TCatalogueDocument::LocalName(CatalogueNode node) const {
    const std::string name = node.name();
    const auto colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

std::optional<std::string> TCatalogueDocument::GetAttribute(CatalogueNode node, const std::string& name) const {
    const pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute) return std::nullopt;
    return std::string(attribute.value());
}

std::string TCatalogueDocument::AttributeText(CatalogueNode node, const std::string& name) const {
    auto value = GetAttribute(node, name);
    if (!value) throw ECatalogueError("The pack has no " + name + " attribute");
    return std::move(*value);
}

CatalogueNode TCatalogueDocument::AddChild(CatalogueNode node, const std::string& name) {
    const CatalogueNode child = node.append_child(name.c_str());
    if (!child) throw ECatalogueError("Cannot add " + name + " here");
    return child;
}

void TCatalogueDocument::SetAttribute(CatalogueNode node, const std::string& name, const std::string& value) {
    // Bytes that are not UTF-8 would make the saved file unreadable as XML.
    if (!IsValidUtf8(value)) throw ECatalogueError("The value of " + name + " is not UTF-8 text");
    pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute) attribute = node.append_attribute(name.c_str());
    if (!attribute || !attribute.set_value(value.c_str())) throw ECatalogueError("Cannot set " + name);
}

int TCatalogueDocument::IndexOf(CatalogueNode node) const {
    int index = 0;
    for (CatalogueNode sibling = node.previous_sibling(); sibling; sibling = sibling.previous_sibling()) ++index;
    return index;
}

void TCatalogueDocument::Remove(CatalogueNode parent, int index) {
    parent.remove_child(Child(parent, index));
}

void TCatalogueDocument::Save(const std::string& fileName) {
    // The text is written as UTF-8, so a declaration that named another
    // encoding would misdescribe the file.
    const CatalogueNode declaration = document_.first_child();
    if (declaration.type() == pugi::node_declaration && declaration.attribute("encoding")) {
        declaration.attribute("encoding").set_value("UTF-8");
    }
    std::ostringstream text;
    document_.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    if (!ReplaceFileAtomically(fileName, text.str())) throw ECatalogueError("Cannot write to " + fileName);
}

void WriteNewListTemplate(const std::string& fileName) {
    if (!ReplaceFileAtomically(fileName, kNewListTemplate)) throw ECatalogueError("Cannot create " + fileName);
}

}  // namespace quillane
