#pragma once

#include <pugixml.hpp>

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillane {

// The bytes of an XML file are not text in the encoding they claim, or claim
// one that this system cannot read.
class EXmlEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes of an XML file as UTF-8 text. UTF-16 and UTF-32 are known by
// their byte-order mark or by how "<" is spelled at the start; any other
// file is in the encoding that its XML declaration names, UTF-8 when it
// names none. Raises EXmlEncodingError when iconv does not know the encoding
// or the bytes are not text in it. The declaration keeps its words.
std::string XmlTextAsUtf8(std::string_view bytes);

// Parses the bytes of an XML file, in whatever encoding they are, into the
// document as UTF-8. Raises EXmlEncodingError as XmlTextAsUtf8 does.
pugi::xml_parse_result LoadXmlBytes(pugi::xml_document& document, std::string_view bytes, unsigned options);

}  // namespace quillane
