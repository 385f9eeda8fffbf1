#pragma once

#include <string>

namespace quillane {

// What one GET request says, and to whom.
struct GetRequest {
    std::string path;    // from the URL
    std::string url;     // the whole current URL, sent instead of the path to a proxy
    std::string host;    // the server's name, with ":" and its port unless that is the scheme's own
    std::string cookie;  // sent once the client holds one
    bool viaProxy = false;
};

// The request header lines, each ended by CR LF, without the blank line
// that closes the header. CR, LF and NUL in the values become spaces.
std::string RequestHeaderLines(const GetRequest& request);

}  // namespace quillane
