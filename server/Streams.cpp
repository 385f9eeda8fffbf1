#include "Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ServerErrors.h"

namespace quillane {

std::size_t TMemoryStream::Read(char* buffer, std::size_t count) {
    const std::size_t taken = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, taken);
    position_ += taken;
    return taken;
}

void TMemoryStream::Seek(std::int64_t offset) {
    const std::int64_t target = static_cast<std::int64_t>(position_) + offset;
    SetPosition(static_cast<std::size_t>(std::clamp<std::int64_t>(target, 0, static_cast<std::int64_t>(bytes_.size()))));
}

void TMemoryStream::SetPosition(std::size_t position) { position_ = std::min(position, bytes_.size()); }

TFileStream::TFileStream(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    struct stat status {};
    // A folder opens fine on this platform but is no file to send; a named pipe or a
    // device would make the open or the reads wait for a writer that may never come,
    // which is why the open does not wait.
    if (!fd_ || ::fstat(fd_.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw EFOpenError("Cannot open file " + path);
    size_ = status.st_size;
    modifiedTime_ = status.st_mtime;
}

std::size_t TFileStream::Read(char* buffer, std::size_t count) {
    for (;;) {
        const ssize_t got = ::read(fd_.get(), buffer, count);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

void TFileStream::Seek(std::int64_t offset) { ::lseek(fd_.get(), offset, SEEK_CUR); }

}  // namespace quillane
