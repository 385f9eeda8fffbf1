#pragma once

#include "TempFolder.h"

#include <filesystem>
#include <map>
#include <string>

namespace quillane::testing {

// Every entry below a folder with its bytes ("<folder>" for folders), by path
// relative to it: what "nothing changed" is checked against.
inline std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        entries[std::filesystem::relative(entry.path(), folder).string()] =
            entry.is_regular_file() ? ReadFile(entry.path().string()) : "<folder>";
    }
    return entries;
}

}  // namespace quillane::testing
