#pragma once

#include "TempFolder.h"

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace quillane::testing {

// A smiley theme as Pidgin reads it: "Key=value" lines before the first
// section, then in [default] one line per picture, its file name followed by
// its shortcuts, separated by white space.
struct ReadTheme {
    std::map<std::string, std::string> keys;
    std::vector<std::pair<std::string, std::vector<std::string>>> smileys;
};

inline ReadTheme ReadPidginTheme(const std::string& folder) {
    ReadTheme theme;
    std::istringstream text(ReadFile(folder + "theme"));
    std::string section;
    for (std::string line; std::getline(text, line);) {
        if (line.empty()) continue;
        if (line.front() == '[') {
            section = line;
        } else if (section.empty()) {
            const auto equals = line.find('=');
            theme.keys[line.substr(0, equals)] = equals == std::string::npos ? "" : line.substr(equals + 1);
        } else if (section == "[default]") {
            std::istringstream words(line);
            std::string file;
            words >> file;
            std::vector<std::string> shortcuts;
            for (std::string shortcut; words >> shortcut;) shortcuts.push_back(shortcut);
            theme.smileys.emplace_back(file, shortcuts);
        }
    }
    return theme;
}

}  // namespace quillane::testing
