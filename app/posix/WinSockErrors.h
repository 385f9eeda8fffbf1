#pragma once

#include <string>

namespace quillane {

// The socket error codes that this program reports are those of Windows
// Sockets (10061 for a refused connection, and so on), so that messages read
// the same on every platform. These map POSIX errno values and name-lookup
// results onto them.
int WinSockCodeFromErrno(int error);
// EAI_* results of getaddrinfo.
int WinSockCodeFromLookup(int result);

// The text of a code ("Connection refused"), or empty when the code is unknown.
std::string WinSockErrorText(int code);

// code + ":" + text, or "Unknown Error No. " + code.
std::string WinSockErrorMessage(int code);

}  // namespace quillane
