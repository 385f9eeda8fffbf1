#include "TransferOutput.h"

#include "UniqueFile.h"

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
    if (!WriteAll(file_.get(), bytes.data(), bytes.size())) throw FileError("Cannot write file", path_);
}

void TransferOutput::Close() {
    if (file_ && !file_.Close()) throw FileError("Cannot write file", path_);
}

BodyOutput::BodyOutput(bool fileMode, std::string& setting) : setting_(setting) {
    if (fileMode) file_.emplace(setting);
}

void BodyOutput::Append(std::string_view bytes) {
    if (file_) file_->Append(bytes);
    else text_.append(bytes);
}

void BodyOutput::Keep() {
    if (file_) file_->Commit();
    else setting_ = std::move(text_);
}

}  // namespace quillane
