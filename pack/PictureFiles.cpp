#include "PictureFiles.h"

#include "UniqueFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <unistd.h>

namespace quillane {

bool IsPictureFileName(const std::string& name) {
    static const std::array<std::string_view, 5> kPictureExtensions = {".jpg", ".jpeg", ".png", ".bmp", ".gif"};
    std::string extension = std::filesystem::path(name).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(kPictureExtensions.begin(), kPictureExtensions.end(), extension) != kPictureExtensions.end();
}

std::string_view PictureFormatOf(std::string_view head) {
    const auto startsWith = [head](std::string_view signature) { return head.substr(0, signature.size()) == signature; };
    if (startsWith("GIF87a") || startsWith("GIF89a")) return "gif";
    if (startsWith(std::string_view("\x89PNG\r\n\x1a\n", 8))) return "png";
    if (startsWith("\xff\xd8\xff")) return "jpeg";
    if (startsWith("BM")) return "bmp";
    return {};
}

bool IsPictureByContent(const std::string& path) {
    const UniqueFd file = OpenRegularFile(path);
    if (!file) return false;
    char bytes[8] = {};
    const ssize_t got = ::pread(file.get(), bytes, sizeof bytes, 0);
    return got > 0 && !PictureFormatOf(std::string_view(bytes, static_cast<size_t>(got))).empty();
}

}  // namespace quillane
