#include "TransferOutput.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>

namespace quillane {

namespace {

std::runtime_error FileError(const char* what, const std::string& path) {
    return std::runtime_error(std::string(what) + " \"" + path + "\": " + std::strerror(errno));
}

}  // namespace

void TransferOutput::Open(bool fileMode, std::string& setting) {
    Close();
    text_ = nullptr;
    if (!fileMode) {
        setting.clear();
        text_ = &setting;
        return;
    }
    path_ = setting;
    file_ = UniqueFd(::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file_) throw FileError("Cannot create file", path_);
}

void TransferOutput::Append(std::string_view bytes) {
    if (text_) {
        text_->append(bytes);
        return;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(file_.get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw FileError("Cannot write file", path_);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TransferOutput::Close() {
    if (file_ && !file_.Close()) throw FileError("Cannot write file", path_);
}

}  // namespace quillane
