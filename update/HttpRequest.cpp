#include "HttpRequest.h"

#include <algorithm>

namespace quillane {

namespace {

// A CR, LF or NUL inside a value would end the line early or add lines of the
// value's choosing (a redirect's Location or Set-Cookie can carry a bare CR);
// HTTP has such characters replaced by spaces.
std::string FieldValue(std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return text;
}

}  // namespace

std::string RequestHeaderLines(const GetRequest& request) {
    std::string lines = "GET " + FieldValue(request.viaProxy ? request.url : request.path) + " HTTP/1.0\r\n";
    if (request.viaProxy) lines += "Proxy-Connection: Keep-Alive\r\n";
    lines += "Host: " + FieldValue(request.host) + "\r\n";
    lines += "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n";
    lines += "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
    if (!request.cookie.empty()) lines += "Cookie: " + FieldValue(request.cookie) + "\r\n";
    lines += "Content-type: application/x-www-form-urlencoded\r\n";
    return lines;
}

}  // namespace quillane
