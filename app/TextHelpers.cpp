// The text helpers of TGlobal: character positions, counted lists and preview names.
#include "WinksGlobal.h"

#include "TextFile.h"

#include <charconv>

namespace quillane {

int TGlobal::LastCharPos(const std::string& ch, const std::string& s) const {
    if (ch.empty()) return 0;
    // The last character is never examined: a URL ending in "/" names the segment before it.
    for (int position = static_cast<int>(s.size()) - 1; position >= 1; --position) {
        if (s[static_cast<size_t>(position - 1)] == ch[0]) return position;
    }
    return 0;
}

int TGlobal::CharPosFromEnd(const std::string& ch, const std::string& s) const {
    if (ch.empty()) return -1;
    const auto found = s.rfind(ch[0]);
    if (found == std::string::npos) return -1;
    return static_cast<int>(s.size() - found);
}

int TGlobal::LoadCountedList(const std::string& fileName, int& count, std::vector<std::string>& list) const {
    count = 0;
    list.clear();
    const auto text = ReadTextFile(fileName);
    if (!text) return -1;
    // A byte-order mark is not part of the first line.
    const std::string_view content = std::string_view(*text).starts_with("\xEF\xBB\xBF")
                                         ? std::string_view(*text).substr(3)
                                         : std::string_view(*text);
    list = SplitLines(content);
    if (list.empty()) return -1;
    const std::string& first = list.front();
    int value = 0;
    const char* end = first.data() + first.size();
    const auto [stop, error] = std::from_chars(first.data(), end, value);
    if (first.empty() || error != std::errc() || stop != end) return -1;
    count = value;
    list.erase(list.begin());
    return 0;
}

std::string TGlobal::UrlToGifName(const std::string& url) const {
    // The text between the last "/" and the last "." after it; without a "/"
    // the name starts at the beginning, without such a "." it runs to the end.
    const auto slash = url.rfind('/');
    const std::string name = slash == std::string::npos ? url : url.substr(slash + 1);
    const auto dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ".gif";
}

}  // namespace quillane
