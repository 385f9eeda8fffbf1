#include "SearchPath.h"

#include <cstdlib>
#include <filesystem>

#include "TextUtils.h"

namespace quillane {

std::string ExpandEnvironmentReferences(const std::string& text) {
    std::string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            result += text.substr(pos);
            break;
        }
        result += text.substr(pos, open - pos);
        const std::string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value) {
            result += value;
            pos = close + 1;
        } else {
            // Not a variable: keep the first "%" and look again from the second.
            result += text.substr(open, close - open);
            pos = close;
        }
    }
    if (result.size() > 4096) result.resize(4096);
    return result;
}

std::string ExpandSearchPath(const std::string& searchPath) {
    std::string text = searchPath;
    std::size_t previousLength;
    do {
        previousLength = text.size();
        text = ExpandEnvironmentReferences(ReplaceAll(ReplaceAll(text, "$(", "%"), ")", "%"));
    } while (text.find('$') != std::string::npos && text.size() != previousLength);
    return text;
}

std::string LastPathSegment(const std::string& path) {
    std::string name = path;
    if (!name.empty() && name.back() == '/') name.pop_back();
    const std::size_t slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string FindInSearchPath(const std::string& searchPath, const std::string& name) {
    if (name.empty()) return {};
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = searchPath.find(';', start);
        std::string folder = searchPath.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty() && folder.back() != '/') folder += '/';
        std::error_code error;
        const std::filesystem::path candidate = std::filesystem::absolute(folder + name, error).lexically_normal();
        if (!error && std::filesystem::exists(candidate, error)) return candidate.string();
        if (end == std::string::npos) return {};
        start = end + 1;
    }
}

}  // namespace quillane
