#include "ReplacementFile.h"

#include "UniqueFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>

namespace quillane {

namespace {

std::runtime_error FileError(const char* what, const std::string& path, const char* reason = nullptr) {
    return std::runtime_error(std::string(what) + " \"" + path + "\": " + (reason ? reason : std::strerror(errno)));
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)), temporary_(target_ + ".XXXXXX") {
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    // A rename would put a plain file where a device or a folder was.
    if (exists && !S_ISREG(old.st_mode)) throw FileError("Cannot write file", target_, "it is not a regular file");
    file_ = CreateUniqueFile(temporary_);
    if (!file_) throw FileError("Cannot create file", target_);
    // The file keeps the permissions it had.
    if (exists) ::fchmod(file_.get(), old.st_mode & 07777);
}

ReplacementFile::~ReplacementFile() {
    if (!committed_) ::unlink(temporary_.c_str());
}

void ReplacementFile::Append(std::string_view bytes) {
    if (!WriteAll(file_.get(), bytes.data(), bytes.size())) throw FileError("Cannot write file", target_);
}

void ReplacementFile::Commit() {
    if (::fsync(file_.get()) != 0 || !file_.Close()) throw FileError("Cannot write file", target_);
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) throw FileError("Cannot replace file", target_);
    committed_ = true;
}

}  // namespace quillane
