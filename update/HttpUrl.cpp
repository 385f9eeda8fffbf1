#include "HttpUrl.h"

#include "SockErrors.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

namespace quillane {

namespace {

// Position of the n-th "/" (counting from 1), or npos.
std::size_t NthSlash(const std::string& text, int n) {
    std::size_t at = std::string::npos;
    for (int i = 0; i < n; ++i) {
        at = text.find('/', at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos) break;
    }
    return at;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

int StrToInt(const std::string& text) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last || (first != text.data() && *first == '-'))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

std::string ParseUrl(std::string& url, std::string& host, int& port, bool& secure) {
    if (url.empty()) throw std::runtime_error("Empty URL");
    if (port == 0) port = 80;

    const bool hasServer = url.find("//") != std::string::npos;
    std::string path;
    if (hasServer) {
        const std::size_t third = NthSlash(url, 3);
        if (third != std::string::npos) path = url.substr(third);
    } else if (const std::size_t first = url.find('/'); first != std::string::npos) {
        path = url.substr(first);
    }

    if (const std::size_t colon = url.find(':'); colon != std::string::npos) {
        const std::string scheme = Lower(url.substr(0, colon));
        secure = scheme == "https";
        if (scheme == "gopher") port = 70;
        else if (scheme == "ftp") port = 21;
        else if (secure) port = 443;
        else port = 80;
    }

    std::string server;
    if (hasServer) {
        const std::size_t second = NthSlash(url, 2);
        const std::size_t third = NthSlash(url, 3);
        server = url.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
    } else if (url.front() != '/') {
        server = url.substr(0, url.find('/'));
    }
    if (const std::size_t colon = server.find(':'); colon != std::string::npos) {
        port = StrToInt(server.substr(colon + 1));
        server.resize(colon);
    }
    if (!server.empty()) host = server;

    if (path.empty()) {
        path.assign(1, '/');
        url += '/';
    }
    return path;
}

}  // namespace quillane
