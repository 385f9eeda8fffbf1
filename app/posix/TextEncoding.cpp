#include "TextEncoding.h"

#include <cerrno>
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

namespace quillane {
namespace {

constexpr const char* kUtf8 = "UTF-8";

// An iconv conversion descriptor, closed when it goes.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

// Decodes one UTF-8 sequence at `at`; its length, or 0 when it is not well-formed.
size_t DecodeUtf8(std::string_view text, size_t at, char32_t& code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    size_t length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

void AppendUtf8(std::string& text, char32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Characters 0x80 to 0x9F of code page 1252; 0 where the code page defines none.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

// Case mapping must not depend on the locale the program happens to run in.
locale_t Utf8Locale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    char32_t code = 0;
    for (size_t at = 0; at < text.size();) {
        // Most text is ASCII: skip it without decoding.
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const size_t length = DecodeUtf8(text, at, code);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

bool IsKnownCharset(const std::string& charset) {
    return Converter(kUtf8, charset.c_str()).Valid();
}

std::optional<std::string> ConvertToUtf8(std::string_view bytes, const std::string& charset) {
    Converter converter(kUtf8, charset.c_str());
    if (!converter.Valid()) return std::nullopt;
    std::string text;
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(converter.get(), &in, &inLeft, &out, &outLeft);
        text.append(buffer, out - buffer);
        if (done == static_cast<size_t>(-1) && errno != E2BIG) return std::nullopt;
    }
    // Some character sets keep a state that closes with bytes of its own.
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    if (iconv(converter.get(), nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
    text.append(buffer, out - buffer);
    return text;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const char16_t high = byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : 0;
        AppendUtf8(text, high ? high : byte);
    }
    return text;
}

std::string UpperCaseUtf8(std::string_view text) {
    const locale_t locale = Utf8Locale();
    std::string upper;
    upper.reserve(text.size());
    char32_t code = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t length = DecodeUtf8(text, at, code);
        if (length == 0) {
            upper += text[at++];
            continue;
        }
        const char32_t mapped = locale ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(code), locale))
                                       : (code < 0x80 ? static_cast<char32_t>(towupper(static_cast<wint_t>(code))) : code);
        AppendUtf8(upper, mapped);
        at += length;
    }
    return upper;
}

}  // namespace quillane
