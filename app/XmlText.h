#pragma once

#include <pugixml.hpp>

#include <stdexcept>
#include <string_view>

namespace quillane {

// The bytes of an XML file are not text in the encoding they claim, or claim
// one that this system cannot read.
class EXmlEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the bytes of an XML file into the document as UTF-8. UTF-16 and
// UTF-32 are known by their byte-order mark or by how "<" is spelled at the
// start; any other file is in the encoding that its XML declaration names,
// UTF-8 when it names none. The declaration keeps its words. Raises
// EXmlEncodingError when iconv does not know the encoding, the bytes are not
// text in it, or a character reference names no character.
pugi::xml_parse_result LoadXmlBytes(pugi::xml_document& document, std::string_view bytes, unsigned options);

}  // namespace quillane
