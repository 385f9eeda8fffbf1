#include "Environment.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace quillane {

std::string WithTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string ExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string ExecutableFolder() {
    return WithTrailingSlash(std::filesystem::path(ExecutablePath()).parent_path().string());
}

namespace {

// An XDG base directory: the variable when it holds an absolute path, else
// the given folder below the home folder.
std::string BaseDirectory(const char* variable, const char* belowHome) {
    const char* configured = std::getenv(variable);
    if (configured && *configured == '/') return WithTrailingSlash(configured);
    const char* home = std::getenv("HOME");
    return WithTrailingSlash(std::string(home ? home : "") + "/" + belowHome);
}

}  // namespace

std::string DataHome() { return BaseDirectory("XDG_DATA_HOME", ".local/share"); }

std::string CacheHome() { return BaseDirectory("XDG_CACHE_HOME", ".cache"); }

std::string ConfigHome() { return BaseDirectory("XDG_CONFIG_HOME", ".config"); }

std::vector<std::string> DataDirs() {
    std::vector<std::string> folders;
    const char* configured = std::getenv("XDG_DATA_DIRS");
    const std::string list = configured && *configured ? configured : "/usr/local/share/:/usr/share/";
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(':', start), list.size());
        // Relative entries are invalid and ignored, as the specification says.
        if (end > start && list[start] == '/') folders.push_back(WithTrailingSlash(list.substr(start, end - start)));
        start = end + 1;
    }
    return folders;
}

}  // namespace quillane
