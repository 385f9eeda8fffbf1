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

bool IsPictureFileName(const std::string& name) {
    static const std::vector<std::string> kPictureExtensions = {".jpg", ".jpeg", ".png", ".bmp", ".gif"};
    std::string extension = std::filesystem::path(name).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(kPictureExtensions.begin(), kPictureExtensions.end(), extension) != kPictureExtensions.end();
}

TPictureFiles SortPictureFiles(const std::vector<std::string>& paths) {
    TPictureFiles sorted;
    for (const std::string& path : paths) {
        const std::string name = FileNameOf(path);
        if (!IsPictureFileName(name)) {
            sorted.notPictures.push_back(IsValidUtf8(name) ? name : Windows1252ToUtf8(name));
        } else if (!IsValidUtf8(name)) {
            sorted.unnamable.push_back(Windows1252ToUtf8(name));
        } else {
            sorted.pictures.push_back(path);
        }
    }
    return sorted;
}

std::vector<std::string> PicturesNamedInACodePage(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsPictureFileName(name) && !IsValidUtf8(name) && it->is_regular_file(error)) {
            names.push_back(Windows1252ToUtf8(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quillane
