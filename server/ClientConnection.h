#pragma once

#include <cstddef>

namespace quillane {

// Where a request's answer goes. The listener supplies the socket connection.
class TClientConnection {
public:
    virtual ~TClientConnection() = default;
    // Writes all count bytes; false when the connection failed, in which case the
    // connection has reported the error and closed itself.
    virtual bool SendAll(const char* data, std::size_t count) = 0;
};

}  // namespace quillane
