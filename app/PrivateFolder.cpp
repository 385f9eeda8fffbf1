#include "PrivateFolder.h"

#include "Environment.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quillane {

bool IsPrivateFolder(const std::string& path) {
    // A trailing "/" would make lstat follow a link.
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    struct stat status {};
    return lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == geteuid() &&
           (status.st_mode & 077) == 0;
}

namespace {

// Makes `folder` (no trailing "/") private when it is the user's own folder.
bool MakePrivate(const std::string& folder) {
    mkdir(folder.c_str(), 0700);
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != geteuid()) return false;
    return (status.st_mode & 077) == 0 || chmod(folder.c_str(), 0700) == 0;
}

// A new folder that only this user can enter, from a name ending in "XXXXXX".
std::string FreshPrivateFolder(std::string pattern) {
    return mkdtemp(pattern.data()) ? WithTrailingSlash(pattern) : std::string();
}

}  // namespace

std::string PrivateTempFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && IsPrivateFolder(WithTrailingSlash(runtime))) return WithTrailingSlash(runtime);

    const std::string cache = CacheHome();
    std::error_code error;
    std::filesystem::create_directories(cache, error);
    const std::string folder = cache + "Quillane";
    if (MakePrivate(folder)) return folder + "/";
    std::string fresh = FreshPrivateFolder(cache + "Quillane-XXXXXX");
    if (fresh.empty()) {
        // No cache folder to write in: a fresh folder of the system's, still private.
        const char* system = std::getenv("TMPDIR");
        fresh = FreshPrivateFolder(WithTrailingSlash(system && *system == '/' ? system : "/tmp") + "Quillane-XXXXXX");
    }
    return fresh;
}

}  // namespace quillane
