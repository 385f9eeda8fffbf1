#pragma once

#include <chrono>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <thread>

namespace quillane {

// Resolves one host name to an IPv4 address on a helper thread, so that the
// caller can keep its window alive (and give up) while the resolver works.
// The thread shares only its own result record with the caller; a lookup
// that is given up runs to its end detached and then frees that record.
class HostLookup {
public:
    explicit HostLookup(const std::string& name);
    ~HostLookup();
    HostLookup(const HostLookup&) = delete;
    HostLookup& operator=(const HostLookup&) = delete;

    // Waits at most the given time for the answer; true once it is there.
    bool WaitFor(std::chrono::milliseconds wait);
    // After WaitFor gave true: whether an address was found, which one,
    // and else the Windows Sockets code of the failure.
    bool Found() const;
    const sockaddr_in& Address() const;
    int ErrorCode() const;

private:
    struct Result;
    std::shared_ptr<Result> result_;
    std::thread thread_;
};

}  // namespace quillane
