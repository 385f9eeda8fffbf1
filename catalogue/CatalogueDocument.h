#pragma once

#include <pugixml.hpp>

#include <optional>
#include <stdexcept>
#include <string>

namespace quillane {

// A node of the catalogue: the root, a category or an item (one pack).
// It refers into the loaded document and is valid until the next load.
using CatalogueNode = pugi::xml_node;

// Raised when a catalogue cannot be read, navigated or written.
class ECatalogueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The catalogue XML file: a root, categories under it, items under those.
// Whitespace between elements makes no nodes; comments and text do, as
// other readers of these files see them. Attributes the program does not
// use survive a load and save unchanged.
class TCatalogueDocument {
public:
    // Discards the current document, then reads the file in the encoding its
    // XML declaration names (files made on Windows are in its code pages).
    // Fails on a missing or unreadable file, an encoding that cannot be read,
    // and XML that is not well-formed.
    void Load(const std::string& fileName);

    CatalogueNode Root() const;
    // The child nodes in document order, for walking a whole level.
    pugi::xml_object_range<pugi::xml_node_iterator> Children(CatalogueNode node) const { return node.children(); }
    int Count(CatalogueNode node) const;
    // The child at a 0-based index, in document order.
    CatalogueNode Child(CatalogueNode node, int index) const;
    // The node's name without a namespace prefix.
    std::string LocalName(CatalogueNode node) const;

    // An attribute's value; nothing when the attribute is missing.
    std::optional<std::string> GetAttribute(CatalogueNode node, const std::string& name) const;
    // An attribute's value as text; a missing attribute fails.
    std::string AttributeText(CatalogueNode node, const std::string& name) const;

    CatalogueNode AddChild(CatalogueNode node, const std::string& name);
    // Fails for a value that is not UTF-8 text.
    void SetAttribute(CatalogueNode node, const std::string& name, const std::string& value);
    int IndexOf(CatalogueNode node) const;
    void Remove(CatalogueNode parent, int index);

    // Writes the whole document as UTF-8, with the loaded document's
    // declaration, replacing the file atomically.
    void Save(const std::string& fileName);

private:
    pugi::xml_document document_;
};

// The five lines of a new user list, CR LF after each, no byte-order mark.
extern const char* const kNewListTemplate;

// Replaces the file with the new-list template. Throws on failure.
void WriteNewListTemplate(const std::string& fileName);

}  // namespace quillane
