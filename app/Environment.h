#pragma once

#include <string>
#include <vector>

namespace quillane {

// The folder of the running executable, ending in "/".
std::string ExecutableFolder();
// The full path of the running executable.
std::string ExecutablePath();
// $XDG_DATA_HOME, or ~/.local/share when it is not set; ending in "/".
std::string DataHome();
// $XDG_CACHE_HOME, or ~/.cache when it is not set; ending in "/".
std::string CacheHome();
// $XDG_CONFIG_HOME, or ~/.config when it is not set; ending in "/".
std::string ConfigHome();
// $XDG_DATA_DIRS, or /usr/local/share/ and /usr/share/ when it is not set; each ending in "/".
std::vector<std::string> DataDirs();
// A folder path with exactly one trailing "/".
std::string WithTrailingSlash(std::string folder);

}  // namespace quillane
