#include "ContentTypes.h"

#include <fstream>
#include <sstream>

#include "TextUtils.h"

namespace quillane {

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

TContentTypes::TContentTypes(const std::string& mimeTypesPath) {
    std::ifstream file(mimeTypesPath);
    if (file) {
        fromFile_ = true;
        std::string line;
        while (std::getline(file, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream words(line);
            std::string type, extension;
            words >> type;
            while (words >> extension) types_.emplace("." + LowerCase(extension), type);
        }
        return;
    }
    types_ = {
        {".cab", "application/vnd.ms-cab-compressed"},
        {".htm", "text/html"},
        {".html", "text/html"},
        {".txt", "text/plain"},
        {".xml", "application/xml"},
        {".css", "text/css"},
        {".js", "text/javascript"},
        {".gif", "image/gif"},
        {".png", "image/png"},
        {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},
        {".swf", "application/x-shockwave-flash"},
        {".zip", "application/zip"},
    };
}

std::string TContentTypes::ContentTypeFor(const std::string& fileName) const {
    static const std::string kDefault = "application/octet-stream";
    const std::size_t slash = fileName.rfind('/');
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return kDefault;
    const std::string extension = LowerCase(fileName.substr(dot));
    if (extension == ".exe" || extension == ".dll") return kDefault;
    const auto found = types_.find(extension);
    return found == types_.end() ? kDefault : found->second;
}

const TContentTypes& TContentTypes::System() {
    static const TContentTypes table("/etc/mime.types");
    return table;
}

}  // namespace quillane
