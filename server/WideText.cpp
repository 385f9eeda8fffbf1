#include "WideText.h"

#include <cstdint>

namespace quillane {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// A wide character holds one code point here, as on every platform this server runs on.
static_assert(sizeof(wchar_t) == 4);

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The character that starts at text[pos], and how many bytes it takes; a byte that
// starts no well-formed character takes one byte and gives the replacement.
char32_t DecodeAt(std::string_view text, std::size_t pos, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    length = 1;
    if (lead < 0x80) return lead;
    std::size_t extra;
    char32_t code;
    char32_t smallest;
    if ((lead & 0xE0) == 0xC0) { extra = 1; code = lead & 0x1F; smallest = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; code = lead & 0x0F; smallest = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; code = lead & 0x07; smallest = 0x10000; }
    else return kReplacement;
    if (pos + extra >= text.size()) return kReplacement;
    for (std::size_t i = 1; i <= extra; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(byte)) return kReplacement;
        code = code << 6 | (byte & 0x3F);
    }
    // Overlong forms, surrogates and values above the Unicode range are not characters.
    if (code < smallest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return kReplacement;
    length = extra + 1;
    return code;
}

void Encode(char32_t code, std::string& out) {
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = kReplacement;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::wstring WideFromText(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t pos = 0, length = 0; pos < text.size(); pos += length)
        wide += static_cast<wchar_t>(DecodeAt(text, pos, length));
    return wide;
}

std::string TextFromWide(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) Encode(static_cast<char32_t>(static_cast<std::uint32_t>(c)), bytes);
    return bytes;
}

}  // namespace quillane
