#include "PackContents.h"

#include "PictureFiles.h"
#include "TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>

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

std::vector<std::string> CabinetNames(const TPackContents& contents) {
    std::vector<std::string> names;
    for (const auto* list : {&contents.Emoticons, &contents.DisplayPictures}) {
        for (const TPackItem& item : *list) names.push_back(FileNameOf(item.FullPath));
    }
    // Every picture keeps its own name when it can: a renamed one avoids
    // the names that pictures further down the lists bring.
    std::set<std::string> taken = {UpperCaseUtf8("content.xml")};
    std::multiset<std::string> toCome;
    for (const std::string& name : names) toCome.insert(UpperCaseUtf8(name));
    for (std::string& name : names) {
        toCome.erase(toCome.find(UpperCaseUtf8(name)));
        const size_t dot = name.rfind('.');
        const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
        const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
        std::string unique = name;
        for (int number = 2; taken.count(UpperCaseUtf8(unique)) || (unique != name && toCome.count(UpperCaseUtf8(unique)));
             ++number) {
            unique = stem + "-" + std::to_string(number) + extension;
        }
        taken.insert(UpperCaseUtf8(unique));
        name = unique;
    }
    return names;
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
