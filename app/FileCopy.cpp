#include "FileCopy.h"

#include "UniqueFd.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillane {
namespace {

// Large enough that the copy runs at the disk's pace, small enough to be no burden.
constexpr std::size_t kPieceSize = 1024 * 1024;

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

// A name beside the target that no other copy, in this process or another, uses now.
std::string PartName(const std::string& target) {
    static std::atomic<unsigned> counter = 0;
    return target + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".part";
}

bool CopyContent(int from, int to, std::string_view head, const CopyProgress& progress) {
    if (!WriteAll(to, head.data(), head.size())) return false;
    std::vector<char> piece(kPieceSize);
    for (;;) {
        const ssize_t got = ::read(from, piece.data(), piece.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (!WriteAll(to, piece.data(), static_cast<std::size_t>(got))) return false;
        if (progress && !progress()) return false;
    }
}

}  // namespace

bool CopyFileAtomically(const std::string& source, const std::string& target, std::string_view head,
                        const CopyProgress& progress) {
    const UniqueFd from(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    // Only a regular file has content to copy: a folder or a pipe has none to give.
    if (!from || ::fstat(from.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    const std::string part = PartName(target);
    // Created like any new file, with the mode the user's umask gives.
    UniqueFd to(::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!to) return false;
    bool ok = CopyContent(from.get(), to.get(), head, progress);
    ok = ok && ::fsync(to.get()) == 0;
    ok = to.Close() && ok;
    ok = ok && std::rename(part.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(part.c_str());
    return ok;
}

bool FileStartsWith(const std::string& path, std::string_view prefix) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    std::string start(prefix.size(), '\0');
    std::size_t got = 0;
    while (got < start.size()) {
        const ssize_t n = ::read(fd.get(), start.data() + got, start.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return start == prefix;
}

}  // namespace quillane
