#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillane {

// What the client keeps from one response header.
struct ResponseFields {
    uint16_t status = 0;
    std::string cookie;    // Set-Cookie
    std::string location;  // the redirect target
    // Content-Length, when the header gave one that can be read.
    std::optional<int64_t> contentLength;
    // Content-Length was given in a form that is no length (RFC 9110 section 8.6).
    bool badContentLength = false;
    // The codings of Transfer-Encoding, in lower case, in the order applied.
    std::vector<std::string> transferCodings;
    // The header ended with its blank line (not cut off by a Disconnect).
    bool complete = false;
};

// The status code of a status line ("HTTP/1.1 200 OK"): its three digits
// after "HTTP/" and the version; 0 when the line is no HTTP status line.
uint16_t StatusFromLine(const std::string& line);

// A header field line (name ":" value): Set-Cookie, Location, Content-Length
// and Transfer-Encoding are kept, everything else is ignored. Names are
// matched without regard to case and spaces around the value are dropped.
void ExamineHeaderLine(const std::string& line, ResponseFields& fields);

// The blank line that ends the header: a line feed alone or CR LF.
bool EndsHeader(const std::string& line);

// The size on a chunk's size line (RFC 9112 section 7.1), with any chunk
// extension ignored; none for a line that holds no size, or one too large.
std::optional<int64_t> ChunkSize(const std::string& line);

}  // namespace quillane
