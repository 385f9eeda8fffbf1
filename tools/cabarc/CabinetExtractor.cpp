#include "CabinetExtractor.h"

#include "TextEncoding.h"
#include "UniqueFile.h"

#include <mspack.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fcntl.h>
#include <fnmatch.h>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quillane {
namespace {

std::string ErrorText(int code) {
    switch (code) {
        case MSPACK_ERR_OPEN: return "cannot open the file";
        case MSPACK_ERR_READ: return "read error";
        case MSPACK_ERR_WRITE: return "write error";
        case MSPACK_ERR_SEEK: return "seek error";
        case MSPACK_ERR_NOMEMORY: return "out of memory";
        case MSPACK_ERR_SIGNATURE: return "not a cabinet file";
        case MSPACK_ERR_DATAFORMAT: return "the cabinet is damaged";
        case MSPACK_ERR_CHECKSUM: return "checksum error: the cabinet is damaged";
        case MSPACK_ERR_DECRUNCH: return "decompression error: the cabinet is damaged";
        default: return "error " + std::to_string(code);
    }
}

struct DecompressorDeleter {
    void operator()(mscab_decompressor* d) const { mspack_destroy_cab_decompressor(d); }
};
using Decompressor = std::unique_ptr<mscab_decompressor, DecompressorDeleter>;

// An open cabinet, closed through the decompressor that opened it.
class OpenCabinet {
public:
    OpenCabinet(mscab_decompressor* decompressor, const std::string& path)
        : decompressor_(decompressor), cabinet_(decompressor->open(decompressor, path.c_str())) {}
    ~OpenCabinet() {
        if (cabinet_) decompressor_->close(decompressor_, cabinet_);
    }
    OpenCabinet(const OpenCabinet&) = delete;
    OpenCabinet& operator=(const OpenCabinet&) = delete;
    mscabd_cabinet* get() const { return cabinet_; }

private:
    mscab_decompressor* decompressor_;
    mscabd_cabinet* cabinet_;
};

bool Matches(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    return fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

// The cabinet's own names are at fault: a file where a folder must go or the
// other way round, or a path longer than the file system takes.
bool IsNameClash(int error) {
    return error == ENOTDIR || error == EISDIR || error == EEXIST || error == ENOTEMPTY || error == ENAMETOOLONG;
}

// Gives the file the date and time stored in the cabinet (local time).
void SetModificationTime(const std::string& path, const mscabd_file& file) {
    std::tm when{};
    when.tm_year = file.date_y - 1900;
    when.tm_mon = file.date_m - 1;
    when.tm_mday = file.date_d;
    when.tm_hour = file.time_h;
    when.tm_min = file.time_m;
    when.tm_sec = file.time_s;
    when.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&when);
    if (seconds == static_cast<std::time_t>(-1)) return;
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

}  // namespace

std::string SafeRelativePath(const std::string& nameInCabinet) {
    std::string name = nameInCabinet;
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    if (name.empty() || name.front() == '/' || (name.size() > 1 && name[1] == ':')) return {};
    std::string result;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find('/', start), name.size());
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "..") return {};
        // ".\name", as tools write it for a file given as ./name, stays in the folder.
        if (part != ".") result += (result.empty() ? "" : "/") + part;
        start = end + 1;
    }
    return result;  // empty when the name was nothing but "."
}

std::string Utf8MemberName(const CabinetMember& member) {
    return IsValidUtf8(member.name) ? member.name : Windows1252ToUtf8(member.name);
}

ExtractionReport ExtractCabinet(const std::string& cabinet, const std::string& pattern, const std::string& folder,
                                const std::function<void(const std::string&)>& complain, const MemberNamer& namer) {
    Decompressor decompressor(mspack_create_cab_decompressor(nullptr));
    if (!decompressor) throw std::runtime_error("out of memory");
    OpenCabinet open(decompressor.get(), cabinet);
    if (!open.get()) {
        const int error = decompressor->last_error(decompressor.get());
        // A file that ends inside the cabinet header is no cabinet at all.
        throw std::runtime_error(cabinet + ": " + ErrorText(error == MSPACK_ERR_READ ? MSPACK_ERR_SIGNATURE : error));
    }

    ExtractionReport report;
    for (mscabd_file* file = open.get()->files; file; file = file->next) {
        const std::string name = namer({file->filename, (file->attribs & MSCAB_ATTRIB_UTF_NAME) != 0});
        const std::string relative = SafeRelativePath(name);
        if (relative.empty()) {
            complain("skipped \"" + name + "\": the name leaves the destination folder");
            ++report.skipped;
            continue;
        }
        if (!Matches(pattern, fs::path(relative).filename().string())) continue;

        const fs::path target = fs::path(folder) / relative;
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        // The errno of a step of our own that failed, to tell the disk's fault from the names'.
        int cause = error ? error.value() : 0;
        // A short name of its own beside the target, so that a target name as
        // long as the file system allows still leaves room for it.
        std::string partial = (target.parent_path() / ".cabarc-XXXXXX").string();
        // The file gets the permissions of any new file of the user's, not mkstemp's 0600.
        const bool placeholder = !error && CreateUniqueFile(partial);
        if (!placeholder && !error) cause = errno;
        int result = !placeholder ? MSPACK_ERR_OPEN
                                     : decompressor->extract(decompressor.get(), file, partial.c_str());
        // The library does not check the close of what it wrote, where a full
        // disk shows when the last buffered bytes go out: the file must be whole.
        struct stat written {};
        if (result == MSPACK_ERR_OK &&
            (stat(partial.c_str(), &written) != 0 || written.st_size != static_cast<off_t>(file->length))) {
            result = MSPACK_ERR_WRITE;
        }
        if (result == MSPACK_ERR_OK && std::rename(partial.c_str(), target.c_str()) != 0) {
            cause = errno;
            result = MSPACK_ERR_WRITE;
        }
        if (result != MSPACK_ERR_OK) {
            if (placeholder) unlink(partial.c_str());
            complain(relative + ": " + ErrorText(result));
            ++report.failed;
            if ((result == MSPACK_ERR_OPEN || result == MSPACK_ERR_WRITE) && !IsNameClash(cause)) ++report.unwritten;
            continue;
        }
        if (file->attribs & MSCAB_ATTRIB_RDONLY) chmod(target.c_str(), 0444);
        SetModificationTime(target.string(), *file);
        ++report.extracted;
    }
    return report;
}

}  // namespace quillane
