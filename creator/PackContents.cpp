#include "PackContents.h"

#include "TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace quillane {

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DefaultName(const std::string& fileName) {
    // Four bytes would cut a non-ASCII letter in two; four characters never do.
    size_t end = fileName.size();
    for (int cut = 0; cut < 4 && end > 0; ++cut) {
        do {
            --end;
        } while (end > 0 && (static_cast<unsigned char>(fileName[end]) & 0xC0) == 0x80);
    }
    return fileName.substr(0, end);
}

std::vector<std::string> PicturesNamedInACodePage(const std::string& folder) {
    static const std::vector<std::string> kPictureExtensions = {".jpg", ".jpeg", ".png", ".bmp", ".gif"};
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const bool picture = std::find(kPictureExtensions.begin(), kPictureExtensions.end(), extension) != kPictureExtensions.end();
        if (picture && !IsValidUtf8(name) && it->is_regular_file(error)) names.push_back(Windows1252ToUtf8(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quillane
