#pragma once

#include <string>

namespace quillane {

// A whole decimal number with an optional sign, as typed in a URL's port;
// anything else raises EConvertError "'<text>' is not a valid integer value".
int StrToInt(const std::string& text);

// Takes one URL apart the way the client has always read it: the scheme sets
// the default port, the server name (and an explicit ":port") replace host
// and port, and the rest becomes the request path. A URL without a server
// name keeps host and port, so a redirect to "/x" stays on the same server.
// Raises "Empty URL" and "HTTP Secure Socket is not supported" as plain
// runtime errors. An empty path becomes "/" and "/" is added to url.
// Returns the request path.
std::string ParseUrl(std::string& url, std::string& host, int& port);

}  // namespace quillane
