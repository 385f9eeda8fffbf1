#pragma once

#include <string>

namespace quillane {

// A fresh folder made beside the store's content, removed with all it holds.
// Keeping work inside the store folder lets a finished install move into place
// with a rename, never a copy that could stop half-way.
class TWorkFolder {
public:
    // Throws std::runtime_error when the folder cannot be made.
    TWorkFolder(const std::string& parent, const std::string& stem);
    ~TWorkFolder();
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;

    // With a trailing "/".
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace quillane
