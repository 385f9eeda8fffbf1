#include "UniqueFile.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace quillane {

UniqueFd OpenRegularFile(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) return fd;
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) return UniqueFd();
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        return UniqueFd();
    }
    return fd;
}

UniqueFd CreateUniqueFile(std::string& path) {
    constexpr std::string_view kPlaceholder = "XXXXXX";
    constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    if (path.size() < kPlaceholder.size() || std::string_view(path).substr(path.size() - kPlaceholder.size()) != kPlaceholder) {
        errno = EINVAL;
        return UniqueFd();
    }
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, kLetters.size() - 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (size_t i = path.size() - kPlaceholder.size(); i < path.size(); ++i) path[i] = kLetters[pick(random)];
        UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd || errno != EEXIST) return fd;
    }
    return UniqueFd();
}

bool WriteAll(int fd, const char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, data, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace quillane
