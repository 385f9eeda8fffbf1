#pragma once

#include "UniqueFd.h"

#include <string>
#include <string_view>

namespace quillane {

// New content for a file, written under a temporary name in the file's own
// folder and put in its place, whole and at once, by Commit. Until then the
// file stays as it was; content never committed is removed.
class ReplacementFile {
public:
    // Raises std::runtime_error, naming target, when target is something
    // other than a regular file (a device, a folder) or no file can be made beside it.
    explicit ReplacementFile(std::string target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void Append(std::string_view bytes);
    // On the disk first, then in the file's place.
    void Commit();

private:
    std::string target_;
    std::string temporary_;
    UniqueFd file_;
    bool committed_ = false;
};

}  // namespace quillane
