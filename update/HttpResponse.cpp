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

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Without the spaces and tabs around it (OWS).
std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The elements of a comma-separated list, trimmed, empty ones left out.
std::vector<std::string> ListElements(const std::string& value) {
    std::vector<std::string> elements;
    for (std::size_t start = 0; start <= value.size();) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        if (std::string element = Trimmed(value.substr(start, comma - start)); !element.empty())
            elements.push_back(std::move(element));
        start = comma + 1;
    }
    return elements;
}

// Content-Length is digits; a list of one length repeated, or the field
// repeated with it, still says that length. Anything else frames nothing.
void AddContentLength(const std::string& value, ResponseFields& fields) {
    const std::vector<std::string> lengths = ListElements(value);
    if (lengths.empty()) fields.badContentLength = true;
    for (const std::string& text : lengths) {
        int64_t length = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
        if (!AllDigits(text) || error != std::errc() || end != text.data() + text.size() ||
            (fields.contentLength && *fields.contentLength != length)) {
            fields.badContentLength = true;
            return;
        }
        fields.contentLength = length;
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

}  // namespace

uint16_t StatusFromLine(const std::string& line) {
    const std::string text = WithoutLineEnd(line);
    // "HTTP/" DIGIT "." DIGIT SP 3DIGIT, then a space and the reason or nothing.
    const bool version = text.size() >= 12 && text.starts_with("HTTP/") && std::isdigit(static_cast<unsigned char>(text[5])) &&
                         text[6] == '.' && std::isdigit(static_cast<unsigned char>(text[7])) && text[8] == ' ';
    if (!version || !AllDigits(text.substr(9, 3)) || (text.size() > 12 && text[12] != ' ')) return 0;
    return static_cast<uint16_t>(std::stoi(text.substr(9, 3)));
}

void ExamineHeaderLine(const std::string& line, ResponseFields& fields) {
    const std::string text = WithoutLineEnd(line);
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return;
    // A name with spaces before its colon is no name this client knows.
    const std::string name = Lower(text.substr(0, colon));
    const std::string value = Trimmed(text.substr(colon + 1));
    if (name == "set-cookie") {
        fields.cookie = value;
    } else if (name == "location") {
        fields.location = value;
    } else if (name == "content-length") {
        AddContentLength(value, fields);
    } else if (name == "transfer-encoding") {
        for (const std::string& coding : ListElements(value)) fields.transferCodings.push_back(Lower(coding));
    }
}

bool EndsHeader(const std::string& line) { return line == "\n" || line == "\r\n"; }

std::optional<int64_t> ChunkSize(const std::string& line) {
    const std::string text = WithoutLineEnd(line);
    int64_t size = 0;
    std::size_t at = 0;
    for (; at < text.size() && HexDigit(text[at]) >= 0; ++at) {
        if (size > (std::numeric_limits<int64_t>::max() >> 4)) return std::nullopt;
        size = size * 16 + HexDigit(text[at]);
    }
    const std::string rest = Trimmed(text.substr(at));
    if (at == 0 || !(rest.empty() || rest.front() == ';')) return std::nullopt;
    return size;
}

}  // namespace quillane
