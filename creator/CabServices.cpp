#include "CabServices.h"

#include "PackContents.h"
#include "TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillane {
namespace {

constexpr uint16_t kReadOnly = 0x01;
constexpr uint16_t kHidden = 0x02;
constexpr uint16_t kArchive = 0x20;

// MS-DOS dates run from 1980 to 2107; times outside are held to the ends.
std::tm WithinDosRange(const std::tm& local) {
    std::tm when = local;
    if (when.tm_year < 80) {
        when = std::tm{};
        when.tm_year = 80;
        when.tm_mday = 1;
    } else if (when.tm_year > 207) {
        when = std::tm{};
        when.tm_year = 207;
        when.tm_mon = 11;
        when.tm_mday = 31;
        when.tm_hour = 23;
        when.tm_min = 59;
        when.tm_sec = 58;
    }
    return when;
}

}  // namespace

std::optional<TSourceFile> OpenSource(const std::string& path) {
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!file || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    std::tm local{};
    if (!localtime_r(&info.st_mtim.tv_sec, &local)) return std::nullopt;
    return TSourceFile{std::move(file), DosDate(local), DosTime(local), CabAttributes(FileNameOf(path), info.st_mode)};
}

size_t ReadSource(const TSourceFile& source, const std::string& path, char* into, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = read(source.File.get(), into + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw ECabinetError("Cannot read " + path + ": " + std::strerror(errno) + ".");
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

uint16_t CabAttributes(const std::string& fileName, unsigned mode) {
    uint16_t attributes = kArchive;
    if ((mode & S_IWUSR) == 0) attributes |= kReadOnly;
    if (!fileName.empty() && fileName.front() == '.') attributes |= kHidden;
    return attributes;
}

uint16_t DosDate(const std::tm& local) {
    const std::tm when = WithinDosRange(local);
    return static_cast<uint16_t>((when.tm_year - 80) << 9 | (when.tm_mon + 1) << 5 | when.tm_mday);
}

uint16_t DosTime(const std::tm& local) {
    const std::tm when = WithinDosRange(local);
    // Two-second steps; a leap second counts as the last step of its minute.
    return static_cast<uint16_t>(when.tm_hour << 11 | when.tm_min << 5 | std::min(when.tm_sec, 59) / 2);
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    if (!ReplaceFileAtomically(path, bytes)) throw ECabinetError("Cannot write the pack " + path + ".");
}

std::string ReadWholeFile(const std::string& path) {
    auto content = ReadTextFile(path);
    if (!content) throw ECabinetError("Cannot read the pack " + path + ".");
    return std::move(*content);
}

}  // namespace quillane
