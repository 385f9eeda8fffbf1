#include "Environment.h"

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

std::string DataHome() {
    const char* configured = std::getenv("XDG_DATA_HOME");
    if (configured && *configured == '/') return WithTrailingSlash(configured);
    const char* home = std::getenv("HOME");
    return WithTrailingSlash(std::string(home ? home : "") + "/.local/share");
}

}  // namespace quillane
