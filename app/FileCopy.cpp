#include "FileCopy.h"

#include "TextFile.h"
#include "UniqueFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillane {
namespace {

// Large enough that the copy runs at the disk's pace, small enough to be no burden.
constexpr std::size_t kPieceSize = 1024 * 1024;

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
    return WriteFileAtomically(target, [&](int to) { return CopyContent(from.get(), to, head, progress); });
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
