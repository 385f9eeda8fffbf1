#include "WorkFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace quillane {

TWorkFolder::TWorkFolder(const std::string& parent, const std::string& stem) {
    std::string pattern = parent + "." + stem + "-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("Cannot create " + pattern + ": " + std::strerror(errno));
    path_ = pattern + "/";
}

TWorkFolder::~TWorkFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

}  // namespace quillane
