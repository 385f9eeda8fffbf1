#pragma once

#include "ConvertError.h"
#include "WinSockErrors.h"

#include <stdexcept>
#include <string>

namespace quillane {

// The error of every socket and protocol step of the download client. Code is
// the Windows Sockets code behind it (10061 for a refused connection, 11001
// for an unknown host), or 0 when the step failed without a system error.
class ESockError : public std::runtime_error {
public:
    explicit ESockError(const std::string& message, int code = 0)
        : std::runtime_error(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

// A transfer ended by the time-out.
class EAbortError : public ESockError {
public:
    using ESockError::ESockError;
};

// A server that let the time-out pass without sending or taking anything.
inline EAbortError StoppedAnswering() { return EAbortError("The server stopped answering."); }

// The error of a failed socket call, from its errno, in Windows Sockets terms.
inline ESockError SocketError(int error) {
    const int code = WinSockCodeFromErrno(error);
    return ESockError(WinSockErrorMessage(code), code);
}

}  // namespace quillane
