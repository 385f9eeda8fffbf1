#include "RemoveTree.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace quillane {
namespace {

fs::path ItselfOf(const std::string& path) {
    std::string itself = path;
    while (itself.size() > 1 && itself.back() == '/') itself.pop_back();
    return itself;
}

}  // namespace

bool RemoveTree(const std::string& path, std::error_code& error) {
    error.clear();
    // remove_all never follows a link it meets inside the folder.
    fs::remove_all(ItselfOf(path), error);
    return !error;
}

bool SomethingAt(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(ItselfOf(path), error).type() != fs::file_type::not_found && !error;
}

}  // namespace quillane
