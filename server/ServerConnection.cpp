#include "ServerConnection.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/socket.h>

#include "ServerErrors.h"
#include "ServerLog.h"
#include "WinSockErrors.h"

namespace quillane {

namespace {

// The longest a closing connection keeps reading what the client still sends.
constexpr auto kDrainTime = std::chrono::seconds(2);

std::string ErrorText(int code) {
    std::string text = WinSockErrorText(code);
    return text.empty() ? std::string(std::strerror(code)) : text;
}

int PollFor(int fd, short events, int milliseconds) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, milliseconds);
        if (ready >= 0 || errno != EINTR) return ready;
    }
}

}  // namespace

TServerConnection::TServerConnection(UniqueFd fd, const sockaddr_in& peer, TServerLog& log,
                                     std::chrono::milliseconds sendTimeout)
    : fd_(std::move(fd)), peer_(peer), log_(log), sendTimeout_(sendTimeout) {}

int TServerConnection::Descriptor() const {
    const std::lock_guard lock(lock_);
    return fd_.get();
}

void TServerConnection::ReportSocketError(int kind, int code) {
    if (code != 0) log_.LogError(kind, code, ErrorText(code));
    const std::lock_guard lock(lock_);
    fd_.Close();
}

int TServerConnection::WaitToSend(int fd, int error, std::chrono::steady_clock::time_point deadline) const {
    if (error != EAGAIN && error != EWOULDBLOCK) return error;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return ETIMEDOUT;
    const int ready = PollFor(fd, POLLOUT, static_cast<int>(left.count()));
    if (ready > 0) return 0;
    return ready == 0 ? ETIMEDOUT : errno;
}

void TServerConnection::SendFailed(int error) {
    if (!interrupted_) ReportSocketError(1, WinSockCodeFromErrno(error));
}

// The socket never blocks a send: a client that stops reading is waited for at most the
// send time-out from the last byte that went out, however many calls the answer takes.
// A time-out of the system's would start anew with every call, and a client that took a
// little now and then, or a file sent in several pieces, would hold the worker far longer.
bool TServerConnection::SendAll(const char* data, std::size_t count) {
    const int fd = Descriptor();
    if (fd < 0) return false;
    auto deadline = std::chrono::steady_clock::now() + sendTimeout_;
    while (count > 0) {
        // A connection carries one answer and then closes, and closing sends what is
        // held back. So a head never goes alone in a packet of its own: it waits to
        // share one with the start of the file that follows it.
        const ssize_t sent = ::send(fd, data, count, MSG_NOSIGNAL | MSG_MORE | MSG_DONTWAIT);
        if (sent >= 0) {
            data += sent;
            count -= static_cast<std::size_t>(sent);
            deadline = std::chrono::steady_clock::now() + sendTimeout_;
            continue;
        }
        if (errno == EINTR) continue;
        if (const int error = WaitToSend(fd, errno, deadline); error != 0) {
            SendFailed(error);
            return false;
        }
    }
    return true;
}

std::size_t TServerConnection::SendFilePiece(TFileStream& file, std::size_t count) {
    const int fd = Descriptor();
    if (fd < 0) return 0;
    // A call returns as soon as some bytes went out, and the next follows at once: the
    // wait starts from the last byte sent.
    const auto deadline = std::chrono::steady_clock::now() + sendTimeout_;
    for (;;) {
        const ssize_t sent = ::sendfile(fd, file.Descriptor(), nullptr, count);
        if (sent >= 0) return static_cast<std::size_t>(sent);
        if (errno == EINTR) continue;
        if (const int error = WaitToSend(fd, errno, deadline); error != 0) {
            SendFailed(error);
            return 0;
        }
    }
}

std::size_t TServerConnection::Receive(char* buffer, std::size_t count, std::chrono::milliseconds timeout) {
    const int fd = Descriptor();
    if (fd < 0 || interrupted_ || count == 0) return 0;
    // A request has mostly arrived by the time its worker looks, so the first try
    // does not wait; only when nothing is there yet does the read wait for data.
    bool waited = false;
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, count, MSG_DONTWAIT);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EINTR) continue;
        if (interrupted_) return 0;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (waited) return 0;
            const int ready = PollFor(fd, POLLIN, static_cast<int>(timeout.count()));
            if (ready < 0) {
                const int code = WinSockCodeFromErrno(errno);
                throw ESocketError("Read error " + std::to_string(code) + ", " + ErrorText(code));
            }
            if (ready == 0) return 0;
            waited = true;
            continue;
        }
        const int code = WinSockCodeFromErrno(errno);
        ReportSocketError(2, code);
        throw ESocketError("Socket error: " + ErrorText(code) + " (" + std::to_string(code) + "), on API 'recv'");
    }
}

void TServerConnection::Interrupt() {
    const std::lock_guard lock(lock_);
    interrupted_ = true;
    if (fd_) ::shutdown(fd_.get(), SHUT_RDWR);
}

void TServerConnection::Close() {
    const int fd = Descriptor();
    if (fd < 0) return;
    // Closing with unread input makes the system reset the connection, which can
    // destroy the answer before the client has read it.
    int pending = 0;
    if (!interrupted_ && ::ioctl(fd, FIONREAD, &pending) == 0 && pending > 0 && ::shutdown(fd, SHUT_WR) == 0) {
        const auto until = std::chrono::steady_clock::now() + kDrainTime;
        char discard[4096];
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (left.count() <= 0 || PollFor(fd, POLLIN, static_cast<int>(left.count())) <= 0) break;
            if (::recv(fd, discard, sizeof discard, 0) <= 0) break;
        }
    }
    const std::lock_guard lock(lock_);
    fd_.Close();
}

TServerConnection::TPeer TServerConnection::Peer() const {
    char text[INET_ADDRSTRLEN] = "";
    if (peer_.sin_family != AF_INET || !::inet_ntop(AF_INET, &peer_.sin_addr, text, sizeof text)) return {};
    return {text, [peer = peer_] {
                char host[NI_MAXHOST] = "";
                if (::getnameinfo(reinterpret_cast<const sockaddr*>(&peer), sizeof peer, host, sizeof host, nullptr, 0,
                                  NI_NAMEREQD) != 0)
                    return std::string();
                return std::string(host);
            }};
}

std::size_t TSocketStream::Read(char* buffer, std::size_t count) {
    auto wait = timeout_;
    if (deadline_ != std::chrono::steady_clock::time_point::max()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
        if (left.count() <= 0) return 0;
        wait = std::min(wait, left);
    }
    return connection_.Receive(buffer, count, wait);
}

}  // namespace quillane
