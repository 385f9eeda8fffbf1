#include "XmlText.h"

#include "TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace quillane {
namespace {

struct WideForm {
    std::string_view start;
    const char* charset;
    size_t markLength;  // bytes of the byte-order mark to drop
};

// Longest first, so that UTF-32's marks are not taken for UTF-16's.
constexpr WideForm kWideForms[] = {
    {{"\xFF\xFE\x00\x00", 4}, "UTF-32LE", 4}, {{"\x00\x00\xFE\xFF", 4}, "UTF-32BE", 4},
    {{"\x3C\x00\x00\x00", 4}, "UTF-32LE", 0}, {{"\x00\x00\x00\x3C", 4}, "UTF-32BE", 0},
    {{"\xFF\xFE", 2}, "UTF-16LE", 2},         {{"\xFE\xFF", 2}, "UTF-16BE", 2},
    {{"\x3C\x00", 2}, "UTF-16LE", 0},         {{"\x00\x3C", 2}, "UTF-16BE", 0},
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// An encoding name as XML allows it: a letter, then letters, digits, ".", "_" and "-".
// Anything else could carry iconv's own suffixes ("//IGNORE") into the conversion.
bool IsEncodingName(std::string_view name) {
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name.front()))) return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '_' || c == '-';
    });
}

// The encoding named in the XML declaration at the start of the text, or nothing.
std::optional<std::string> DeclaredEncoding(std::string_view text) {
    // "<?xml-stylesheet" and the like are processing instructions, not the declaration.
    if (text.substr(0, 5) != "<?xml" || text.size() < 6 || !std::isspace(static_cast<unsigned char>(text[5]))) {
        return std::nullopt;
    }
    const size_t end = text.find("?>");
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view declaration = text.substr(0, end);
    size_t at = declaration.find("encoding");
    while (at != std::string_view::npos) {
        size_t next = at + 8;
        while (next < declaration.size() && std::isspace(static_cast<unsigned char>(declaration[next]))) ++next;
        if (next < declaration.size() && declaration[next] == '=') {
            ++next;
            while (next < declaration.size() && std::isspace(static_cast<unsigned char>(declaration[next]))) ++next;
            if (next >= declaration.size() || (declaration[next] != '"' && declaration[next] != '\'')) return std::nullopt;
            const size_t close = declaration.find(declaration[next], next + 1);
            if (close == std::string_view::npos) return std::nullopt;
            return std::string(declaration.substr(next + 1, close - next - 1));
        }
        at = declaration.find("encoding", at + 8);
    }
    return std::nullopt;
}

// The character set iconv reads for a declared name. Windows reads these
// names as its own code pages, which extend the standards they name, and the
// files were written by Windows.
std::string CharsetFor(const std::string& declared) {
    const std::string name = Lower(declared);
    if (name == "shift_jis" || name == "shift-jis" || name == "sjis" || name == "x-sjis" || name == "ms_kanji") return "CP932";
    if (name == "gb2312" || name == "x-gbk" || name == "csgb2312") return "CP936";
    if (name == "big5" || name == "big-5" || name == "cn-big5" || name == "csbig5") return "CP950";
    if (name == "euc-kr" || name == "ks_c_5601-1987" || name == "korean") return "CP949";
    return declared;
}

bool IsUtf8Name(const std::string& declared) {
    const std::string name = Lower(declared);
    return name == "utf-8" || name == "utf8";
}

// Bytes that begin in 8-bit form but declare a 16- or 32-bit encoding were
// saved by a tool that kept the words and changed the form; the form decides.
bool IsWideName(const std::string& declared) {
    const std::string name = Lower(declared);
    return name.rfind("utf-16", 0) == 0 || name.rfind("utf-32", 0) == 0 || name.rfind("ucs-", 0) == 0 ||
           name == "utf16" || name == "utf32" || name == "unicode";
}

// UTF-8 text needs no conversion, only a check.
std::optional<std::string> Utf8Checked(std::string_view text) {
    if (!IsValidUtf8(text)) throw EXmlEncodingError("The text is not valid UTF-8");
    return std::nullopt;
}

// The parser turns a reference to a surrogate (&#xD800;) into bytes that are
// no UTF-8; a document holding them could not be written out as text.
bool HoldsOnlyText(const pugi::xml_node& root) {
    for (pugi::xml_node node = root; node;) {
        if (!IsValidUtf8(node.name()) || !IsValidUtf8(node.value())) return false;
        for (const pugi::xml_attribute attribute : node.attributes()) {
            if (!IsValidUtf8(attribute.name()) || !IsValidUtf8(attribute.value())) return false;
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != root && !node.next_sibling()) node = node.parent();
        node = node == root ? pugi::xml_node() : node.next_sibling();
    }
    return true;
}

// The bytes converted to UTF-8, or nothing when they are UTF-8 already
// (after the byte-order mark, which `bytes` then no longer holds).
std::optional<std::string> ConvertedToUtf8(std::string_view& bytes) {
    for (const WideForm& form : kWideForms) {
        if (bytes.substr(0, form.start.size()) != form.start) continue;
        auto text = ConvertToUtf8(bytes.substr(form.markLength), form.charset);
        if (!text) throw EXmlEncodingError(std::string("The text is not valid ") + form.charset);
        return text;
    }
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        bytes.remove_prefix(kUtf8Mark.size());
        return Utf8Checked(bytes);
    }

    const auto declared = DeclaredEncoding(bytes);
    if (!declared || IsUtf8Name(*declared) || IsWideName(*declared)) return Utf8Checked(bytes);
    const std::string charset = CharsetFor(*declared);
    if (!IsEncodingName(*declared) || !IsKnownCharset(charset)) {
        throw EXmlEncodingError("The encoding " + *declared + " is not known");
    }
    auto text = ConvertToUtf8(bytes, charset);
    if (!text) throw EXmlEncodingError("The text is not valid " + *declared);
    return text;
}

}  // namespace

pugi::xml_parse_result LoadXmlBytes(pugi::xml_document& document, std::string_view bytes, unsigned options) {
    const std::optional<std::string> converted = ConvertedToUtf8(bytes);
    const std::string_view text = converted ? std::string_view(*converted) : bytes;
    const pugi::xml_parse_result result = document.load_buffer(text.data(), text.size(), options, pugi::encoding_utf8);
    // Text that was valid UTF-8 can only turn into something else through a character reference.
    if (result && text.find("&#") != std::string_view::npos && !HoldsOnlyText(document)) {
        document.reset();
        throw EXmlEncodingError("A character reference names no character");
    }
    return result;
}

}  // namespace quillane
