#include "TextFile.h"

#include "UniqueFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quillane {

std::optional<std::string> ReadTextFile(const std::string& path) {
    // A folder opens like a file here but holds no content.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(content).str();
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string_view LineBreakOf(std::string_view text) {
    const auto pos = text.find_first_of("\r\n");
    if (pos != std::string_view::npos && text[pos] == '\n') return "\n";
    return "\r\n";
}

namespace {

// Where a write of `path` must land: the file a symbolic link names, so that
// the link stays a link (a settings file kept elsewhere, say).
std::string WriteTarget(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

// Writes the new file beside `target` and renames it over it; the new file
// takes the mode of the file it replaces, when there is one.
bool WriteBesideAndRename(const std::string& target, const struct stat* replaced, const std::function<bool(int fd)>& fill) {
    std::string temp = target + ".XXXXXX";
    UniqueFd fd = CreateUniqueFile(temp);
    if (!fd) return false;
    bool ok = (!replaced || fchmod(fd.get(), replaced->st_mode & 07777) == 0) && fill(fd.get());
    ok = ok && fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    return ok;
}

// A read-only file stays as it is, as Windows keeps it, even for an administrator.
bool ReadOnly(const std::string& path, const struct stat& status) {
    return (status.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
}

std::function<bool(int fd)> Writing(std::string_view bytes) {
    return [bytes](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); };
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::function<bool(int fd)>& fill) {
    const std::string target = WriteTarget(path);
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && ReadOnly(target, old)) return false;
    return WriteBesideAndRename(target, exists ? &old : nullptr, fill);
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    return WriteFileAtomically(path, Writing(bytes));
}

bool ReplaceEntryAtomically(const std::string& path, std::string_view bytes) {
    struct stat old {};
    const bool regular = lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    if (regular && ReadOnly(path, old)) return false;
    return WriteBesideAndRename(path, regular ? &old : nullptr, Writing(bytes));
}

}  // namespace quillane
