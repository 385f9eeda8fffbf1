#pragma once

#include <string>
#include <unordered_map>

namespace quillane {

// Content types by file extension, from a mime.types file, or a small built-in
// table when that file cannot be read.
class TContentTypes {
public:
    explicit TContentTypes(const std::string& mimeTypesPath);

    // The type for a file name; "application/octet-stream" when unknown and always
    // for ".exe" and ".dll".
    std::string ContentTypeFor(const std::string& fileName) const;
    bool FromFile() const { return fromFile_; }

    // The system's table, read once on first use.
    static const TContentTypes& System();

private:
    std::unordered_map<std::string, std::string> types_;
    bool fromFile_ = false;
};

}  // namespace quillane
