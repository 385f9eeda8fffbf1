#pragma once

#include <cstddef>

namespace quillane {

class TFileStream;

// Where a request's answer goes. The listener supplies the socket connection.
class TClientConnection {
public:
    virtual ~TClientConnection() = default;
    // Writes all count bytes; false when the connection failed, in which case the
    // connection has reported the error and closed itself.
    virtual bool SendAll(const char* data, std::size_t count) = 0;
    // Sends up to count bytes of the file from its current position, moving it on;
    // the number sent, 0 at the end of the file or when the connection failed.
    virtual std::size_t SendFilePiece(TFileStream& file, std::size_t count);
};

}  // namespace quillane
