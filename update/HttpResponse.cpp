#include "HttpResponse.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

namespace quillane {

namespace {

std::string WithoutLineEnd(const std::string& line) {
    std::string text = line;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The digits of a value, skipping whatever comes before the first one; 0
// without digits, and 0 for a number too large to be a length.
int64_t LeadingNumber(const std::string& value) {
    const std::size_t first = value.find_first_of("0123456789");
    if (first == std::string::npos) return 0;
    int64_t number = 0;
    const auto result = std::from_chars(value.data() + first, value.data() + value.size(), number);
    return result.ec == std::errc() ? number : 0;
}

}  // namespace

uint16_t StatusFromLine(const std::string& line) {
    const std::string text = WithoutLineEnd(line);
    const std::size_t space = text.find(' ');
    if (space == std::string::npos) return 0;
    const std::string word = text.substr(space + 1, text.find(' ', space + 1) - space - 1);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() ||
        value > std::numeric_limits<uint16_t>::max())
        return 0;
    return static_cast<uint16_t>(value);
}

void ExamineHeaderLine(const std::string& line, ResponseFields& fields) {
    const std::string text = WithoutLineEnd(line);
    const std::size_t space = text.find(' ');
    if (space == std::string::npos) return;
    const std::string name = Upper(text.substr(0, space));
    const std::string value = text.substr(space + 1);
    if (name == "SET-COOKIE:") fields.cookie = value;
    else if (name == "LOCATION:") fields.location = value;
    else if (name == "CONTENT-LENGTH:") fields.contentLength = LeadingNumber(value);
}

bool EndsHeader(const std::string& line) {
    return line.empty() || line == "\n" || line == "\r\n";
}

}  // namespace quillane
