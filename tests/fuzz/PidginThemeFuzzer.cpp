// Arbitrary bytes as a Pidgin theme file, read as the import reads it: every
// token is whole and within Pidgin's 63 bytes. The same bytes, cut at NUL
// bytes, as shortcuts and as a theme name: what the export writes of them
// reads back as it was given.
#include "PidginThemeText.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

bool IsToken(const std::string& token) {
    return !token.empty() && token.size() <= quillane::kThemeTokenBytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillane;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const TThemeSection& section : ParseThemeText(bytes).sections) {
        for (const TThemeLine& line : section.lines) {
            Check(IsToken(line.picture));
            for (const std::string& shortcut : line.shortcuts) Check(IsToken(shortcut));
        }
    }

    std::vector<std::string> shortcuts;
    for (size_t start = 0; start <= bytes.size();) {
        const size_t end = std::min(bytes.find('\0', start), bytes.size());
        const std::string shortcut(bytes.substr(start, end - start));
        if (ThemeCanHoldShortcut(shortcut)) shortcuts.push_back(shortcut);
        start = end + 1;
    }
    const std::string text = ThemeKeyLine("Name", bytes) + "[default]\n" + ThemeSmileyLines("p.gif", shortcuts);
    const TThemeText theme = ParseThemeText(text);
    Check(theme.name.find_first_of("<>\n") == std::string::npos);
    Check(theme.sections.size() == 1);
    std::vector<std::string> read;
    for (const TThemeLine& line : theme.sections[0].lines) {
        Check(line.picture == "p.gif" && !line.hidden);
        read.insert(read.end(), line.shortcuts.begin(), line.shortcuts.end());
    }
    Check(read == shortcuts);
    return 0;
}
