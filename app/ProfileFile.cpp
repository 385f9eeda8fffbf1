#include "ProfileFile.h"

#include "TextFile.h"

#include <charconv>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <strings.h>
#include <vector>

namespace quillane {
namespace {

const char* const kBlanks = " \t";

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// "[Name]" gives Name; any other line gives nothing.
std::optional<std::string> SectionName(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
    const auto close = trimmed.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

// "Key=Value" gives Key; lines without "=" and comments give nothing.
std::optional<std::string> KeyName(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
    const auto equals = trimmed.find('=');
    if (equals == std::string::npos) return std::nullopt;
    return Trim(trimmed.substr(0, equals));
}

// The value after "=", trimmed; enclosing quotation marks (single or double) are dropped,
// as the Windows profile functions drop them.
std::string ValueOf(const std::string& line) {
    std::string value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// A file saved by a Windows editor may begin with a UTF-8 byte-order mark;
// it belongs to the file, not to its first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct ProfileText {
    bool byteOrderMark = false;
    std::vector<std::string> lines;
    std::string_view lineBreak = "\r\n";
};

std::optional<ProfileText> ReadProfileText(const std::string& path) {
    auto text = ReadTextFile(path);
    if (!text) return std::nullopt;
    ProfileText profile;
    std::string_view body = *text;
    profile.byteOrderMark = body.substr(0, kByteOrderMark.size()) == kByteOrderMark;
    if (profile.byteOrderMark) body.remove_prefix(kByteOrderMark.size());
    profile.lines = SplitLines(body);
    profile.lineBreak = LineBreakOf(body);
    return profile;
}

// Where a key stands in the lines of a file.
struct KeyPlace {
    std::optional<size_t> sectionLine;  // the "[Section]" header
    std::optional<size_t> keyLine;      // the "Key=" line inside it
    size_t sectionEnd = 0;              // one past the section's last non-blank line
};

KeyPlace FindKey(const std::vector<std::string>& lines, const std::string& section, const std::string& key) {
    KeyPlace place;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i])) {
            if (inside) break;
            inside = SameText(*name, section);
            if (inside) {
                place.sectionLine = i;
                place.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inside) continue;
        if (!Trim(lines[i]).empty()) place.sectionEnd = i + 1;
        const auto name = KeyName(lines[i]);
        if (name && SameText(*name, key) && !place.keyLine) place.keyLine = i;
    }
    return place;
}

}  // namespace

std::optional<int> ParseProfileInteger(const std::string& text) {
    std::string digits = Trim(text);
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.erase(0, 1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    if (digits.empty()) return std::nullopt;
    long long value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    if (error != std::errc() || stop != end) return std::nullopt;
    if (negative) value = -value;
    // Hexadecimal values stand for 32-bit patterns, so 0xFFFFFFFF is -1.
    if (base == 16 && value > std::numeric_limits<int>::max() && value <= 0xFFFFFFFFLL)
        value -= 0x100000000LL;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(value);
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

std::optional<std::string> ProfileFile::ReadString(const std::string& section, const std::string& key) const {
    const auto text = ReadProfileText(path_);
    if (!text) return std::nullopt;
    const auto place = FindKey(text->lines, section, key);
    if (!place.keyLine) return std::nullopt;
    return ValueOf(text->lines[*place.keyLine]);
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
    return ReadString(section, key).value_or(fallback);
}

int ProfileFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
    const auto text = ReadString(section, key);
    if (!text) return fallback;
    return ParseProfileInteger(*text).value_or(fallback);
}

void ProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    ProfileText text = ReadProfileText(path_).value_or(ProfileText{});
    std::vector<std::string>& lines = text.lines;
    const std::string entry = key + "=" + value;
    const auto place = FindKey(lines, section, key);
    if (place.keyLine) {
        lines[*place.keyLine] = entry;
    } else if (place.sectionLine) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.sectionEnd), entry);
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::string joined(text.byteOrderMark ? kByteOrderMark : std::string_view());
    for (const auto& line : lines) {
        joined += line;
        joined += text.lineBreak;
    }
    if (!ReplaceFileAtomically(path_, joined)) throw std::runtime_error("Unable to write to " + path_);
}

}  // namespace quillane
