#include "HostLookup.h"

#include "WinSockErrors.h"

#include <condition_variable>
#include <mutex>
#include <netdb.h>
#include <sys/socket.h>

namespace quillane {

struct HostLookup::Result {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    // Written by the helper before done is set under the mutex, read by the caller after.
    bool found = false;
    sockaddr_in address{};
    int errorCode = 0;
};

HostLookup::HostLookup(const std::string& name) : result_(std::make_shared<Result>()) {
    thread_ = std::thread([name, result = result_] {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        const int status = getaddrinfo(name.c_str(), nullptr, &hints, &list);
        std::lock_guard lock(result->mutex);
        if (status == 0 && list) {
            result->found = true;
            result->address = *reinterpret_cast<const sockaddr_in*>(list->ai_addr);
        } else {
            result->errorCode = WinSockCodeFromLookup(status == 0 ? EAI_NODATA : status);
        }
        if (list) freeaddrinfo(list);
        result->done = true;
        result->changed.notify_all();
    });
}

HostLookup::~HostLookup() {
    bool done;
    {
        std::lock_guard lock(result_->mutex);
        done = result_->done;
    }
    // A finished helper is joined at once; an unfinished one may sit in the
    // resolver for seconds, so it is left to end on its own.
    if (done) thread_.join();
    else thread_.detach();
}

bool HostLookup::WaitFor(std::chrono::milliseconds wait) {
    std::unique_lock lock(result_->mutex);
    return result_->changed.wait_for(lock, wait, [this] { return result_->done; });
}

bool HostLookup::Found() const { return result_->found; }
const sockaddr_in& HostLookup::Address() const { return result_->address; }
int HostLookup::ErrorCode() const { return result_->errorCode; }

}  // namespace quillane
