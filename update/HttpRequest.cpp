#include "HttpRequest.h"

namespace quillane {

std::string RequestHeaderLines(const GetRequest& request) {
    std::string lines = "GET " + (request.viaProxy ? request.url : request.path) + " HTTP/1.0\r\n";
    if (request.viaProxy) lines += "Proxy-Connection: Keep-Alive\r\n";
    lines += "Host: " + request.host + "\r\n";
    lines += "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n";
    lines += "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
    if (!request.cookie.empty()) lines += "Cookie: " + request.cookie + "\r\n";
    lines += "Content-type: application/x-www-form-urlencoded\r\n";
    return lines;
}

}  // namespace quillane
