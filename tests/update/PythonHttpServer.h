#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace quillane::testing {

// A python3 program run as a peer of the tests: started in the constructor,
// which waits until it accepts connections on each of the given loopback
// ports, and stopped in the destructor. Its output is thrown away.
class PythonProcess {
public:
    PythonProcess(std::vector<std::string> arguments, const std::vector<int>& ports);
    ~PythonProcess();
    PythonProcess(const PythonProcess&) = delete;
    PythonProcess& operator=(const PythonProcess&) = delete;

private:
    void Stop();

    pid_t pid_ = -1;
};

// Python's http.server serving a folder on a loopback port: an HTTP peer
// that is not ours.
class PythonHttpServer {
public:
    explicit PythonHttpServer(const std::string& folder);

    int Port() const { return port_; }
    std::string Url(const std::string& path) const;

private:
    int port_;
    PythonProcess process_;
};

}  // namespace quillane::testing
