#include "WorkFolder.h"

#include "RemoveTree.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quillane {

TWorkFolder::TWorkFolder(const std::string& parent, const std::string& stem) {
    std::string pattern = parent + "." + stem + "-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("Cannot create " + pattern + ": " + std::strerror(errno));
    path_ = pattern + "/";
}

TWorkFolder::~TWorkFolder() {
    // What an exchange left here may be the user's link: it goes, never what it points at.
    std::error_code error;
    RemoveTree(path_, error);
}

}  // namespace quillane
