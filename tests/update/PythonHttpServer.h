#pragma once

#include <string>
#include <sys/types.h>

namespace quillane::testing {

// Python's http.server serving a folder on a loopback port: an HTTP peer
// that is not ours. Started in the constructor (which waits until it
// accepts connections), stopped in the destructor.
class PythonHttpServer {
public:
    explicit PythonHttpServer(const std::string& folder);
    ~PythonHttpServer();
    PythonHttpServer(const PythonHttpServer&) = delete;
    PythonHttpServer& operator=(const PythonHttpServer&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& path) const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace quillane::testing
