#pragma once

#include <string>

namespace quillane {

// Where an http or https address leads.
struct HttpTarget {
    bool secure = false;  // https
    std::string host;     // the server's name or address, without port
    int port = 0;         // the one given, else 80 or 443
    std::string path;     // what the request asks for: the path ("/" when empty) and the query
    std::string url;      // the whole address without its fragment, as a proxy is asked for it
};

// Reads an absolute http or https address (RFC 9110 section 4.2; an empty
// port is the scheme's own). Raises ESockError, saying why in a sentence
// that names the address, for one that is empty, of another scheme or none,
// names no server, holds a user name, or has a port that is not a number
// from 1 to 65535.
HttpTarget ParseHttpUrl(const std::string& url);

// The address that a redirect's Location leads to from url.
std::string ResolveLocation(const std::string& url, const std::string& location);

}  // namespace quillane
