#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include "ClientConnection.h"
#include "Streams.h"
#include "UniqueFd.h"

namespace quillane::testing {

// A source that hands out its pieces one per read, as a socket does when the
// client's bytes arrive in several packets.
class TPieceStream : public TStream {
public:
    explicit TPieceStream(std::deque<std::string> pieces) : pieces_(std::move(pieces)) {}
    std::size_t Read(char* buffer, std::size_t count) override {
        if (pieces_.empty()) return 0;
        std::string& piece = pieces_.front();
        const std::size_t taken = std::min(count, piece.size());
        std::memcpy(buffer, piece.data(), taken);
        piece.erase(0, taken);
        if (piece.empty()) pieces_.pop_front();
        return taken;
    }
    void Seek(std::int64_t offset) override { seekOffset += offset; }
    std::int64_t seekOffset = 0;

private:
    std::deque<std::string> pieces_;
};

// A client connection that keeps what is written to it.
class TMemoryConnection : public TClientConnection {
public:
    bool SendAll(const char* data, std::size_t count) override {
        ++sends;
        if (failSends) return false;
        bytes.append(data, count);
        return true;
    }
    std::string bytes;
    int sends = 0;
    bool failSends = false;
};

// A loopback TCP client of the server under test, with a receive buffer of that size when one is given.
class TTestClient {
public:
    explicit TTestClient(int port, int receiveBuffer = 0) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        if (receiveBuffer > 0) ::setsockopt(fd_.get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        if (!fd_ || ::connect(fd_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot connect to port " + std::to_string(port) + ": " + std::strerror(errno));
    }
    void Send(const std::string& bytes) {
        if (::send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error(std::string("send failed: ") + std::strerror(errno));
    }
    // Everything until the server closes, or what arrived when the time is up.
    std::string ReadAll(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::string result;
        const auto until = std::chrono::steady_clock::now() + limit;
        char buffer[65536];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            pollfd entry{fd_.get(), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
                timedOut = true;
                return result;
            }
            const ssize_t got = ::recv(fd_.get(), buffer, sizeof buffer, 0);
            if (got <= 0) return result;
            result.append(buffer, static_cast<std::size_t>(got));
        }
    }
    // Closes with a reset instead of an orderly end.
    void Reset() {
        const linger abort{1, 0};
        ::setsockopt(fd_.get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        fd_.Close();
    }
    std::string Exchange(const std::string& request) {
        Send(request);
        return ReadAll();
    }
    bool timedOut = false;

private:
    UniqueFd fd_;
};

// A port that was free a moment ago.
inline int FreePort() {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free port");
    return ntohs(address.sin_port);
}

// Polls a condition until it holds or the time is up.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline std::size_t ThreadCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
}

inline std::size_t OpenDescriptorCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

// A joined thread can still be listed in /proc for a moment while the kernel
// finishes its exit, longer on a loaded machine: the count that the listing
// settles on within two seconds.
template <typename Count>
std::size_t SettledCount(Count count, std::size_t expected) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::size_t value = count();
    while (value != expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        value = count();
    }
    return value;
}

// Answers carry the current time; tests compare them with the date blanked out.
// Only a date of the exact form "Wed, 05 Jan 2005 10:20:30 GMT" is blanked.
inline std::string WithoutDate(const std::string& answer) {
    const std::size_t start = answer.find("\r\nDate: ");
    if (start == std::string::npos) return answer;
    const std::size_t value = start + 8;
    const std::size_t end = answer.find("\r\n", value);
    if (end - value != 29 || answer[value + 3] != ',' || answer.compare(value + 25, 4, " GMT") != 0) return answer;
    return answer.substr(0, value) + "*" + answer.substr(end);
}

}  // namespace quillane::testing
