#pragma once

#include <cstdint>
#include <string>

namespace quillane {

// What the client keeps from one response header.
struct ResponseFields {
    uint16_t status = 0;
    std::string cookie;     // Set-Cookie
    std::string location;   // the redirect target
    int64_t contentLength = 0;
    // The header ended with its blank line (not cut off by a closed connection).
    bool complete = false;
};

// The status code of a status line: its second word read as a decimal
// number, 0 when that is not a number from 0 to 65535.
uint16_t StatusFromLine(const std::string& line);

// A header line as the client reads it: Set-Cookie, Location and
// Content-Length are kept, everything else is ignored.
void ExamineHeaderLine(const std::string& line, ResponseFields& fields);

// A line that ends the header: only a line feed, only CR LF, or nothing at all.
bool EndsHeader(const std::string& line);

}  // namespace quillane
