#include "HttpUrl.h"

#include "SockErrors.h"
#include "UriReference.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quillane {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// 0 for anything but a whole number from 1 to 65535.
int PortNumber(const std::string& text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    const bool digitsOnly = std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
    if (!digitsOnly || error != std::errc() || end != text.data() + text.size() || port > 65535) return 0;
    return port;
}

}  // namespace

HttpTarget ParseHttpUrl(const std::string& url) {
    if (url.empty()) throw ESockError("No address was given to download from.");
    const UriReference uri = SplitUriReference(url);
    const std::string scheme = Lower(uri.scheme.value_or(""));
    if (scheme != "http" && scheme != "https")
        throw ESockError("The address " + url + " is not an http or https address.");
    const std::string authority = uri.authority.value_or("");
    // A user name before the server's is a known way of disguising the server.
    if (authority.find('@') != std::string::npos)
        throw ESockError("The address " + url + " holds a user name, which this program does not send.");

    HttpTarget target;
    target.secure = scheme == "https";
    // An address in brackets (IPv6) holds colons of its own; the port comes after it.
    const std::size_t hostEnd = authority.starts_with("[") ? authority.find(']') + 1 : 0;
    const std::size_t colon = authority.find(':', hostEnd);
    target.host = authority.substr(0, colon);
    if (target.host.empty()) throw ESockError("The address " + url + " names no server.");
    const std::string port = colon == std::string::npos ? std::string() : authority.substr(colon + 1);
    target.port = port.empty() ? (target.secure ? 443 : 80) : PortNumber(port);
    if (target.port == 0)
        throw ESockError("The port in the address " + url + " is not a number from 1 to 65535.");

    target.path = uri.path.empty() ? "/" : uri.path;
    if (uri.query) target.path += "?" + *uri.query;
    // An empty port is left out, as the scheme's own is.
    target.url = *uri.scheme + "://" + target.host + (port.empty() ? "" : ":" + port) + target.path;
    return target;
}

std::string ResolveLocation(const std::string& url, const std::string& location) {
    return ComposeUri(ResolveReference(SplitUriReference(url), SplitUriReference(location)));
}

}  // namespace quillane
