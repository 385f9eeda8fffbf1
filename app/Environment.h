#pragma once

#include <string>

namespace quillane {

// The folder of the running executable, ending in "/".
std::string ExecutableFolder();
// The full path of the running executable.
std::string ExecutablePath();
// $XDG_DATA_HOME, or ~/.local/share when it is not set; ending in "/".
std::string DataHome();
// $XDG_CACHE_HOME, or ~/.cache when it is not set; ending in "/".
std::string CacheHome();
// A folder path with exactly one trailing "/".
std::string WithTrailingSlash(std::string folder);

}  // namespace quillane
