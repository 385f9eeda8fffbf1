#pragma once

#include <string>

namespace quillane {

// A whole decimal number with an optional sign, as typed in a URL's port;
// anything else raises EConvertError "'<text>' is not a valid integer value".
int StrToInt(const std::string& text);

// Takes one URL apart the way the client has always read it: the scheme sets
// the default port and whether the connection is secure ("https", port 443),
// the server name (and an explicit ":port") replace host and port, and the
// rest becomes the request path, whole. A URL without a scheme keeps
// secure, one without a server name keeps host and port, so a redirect to
// "/x" stays on the same server in the same way. Raises "Empty URL" as a
// plain runtime error. An empty path becomes "/" and "/" is added to url.
// Returns the request path.
std::string ParseUrl(std::string& url, std::string& host, int& port, bool& secure);

}  // namespace quillane
