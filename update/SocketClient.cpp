#include "SocketClient.h"

#include "HostLookup.h"
#include "TlsConnection.h"
#include "WinSockErrors.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace quillane {

namespace {

// Every wait on the network lasts at most this long before the owner's
// events run again: short enough for a smooth window, long enough that an
// idle download costs no processor time worth mentioning.
constexpr std::chrono::milliseconds kWaitStep{2};

UniqueFd OpenSocket() {
    UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket) throw SocketError(errno);
    // The request goes out in two writes; neither may wait for the other's acknowledgement.
    const int on = 1;
    ::setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return socket;
}

short PollEvents(TlsWait wait) { return wait == TlsWait::Writable ? POLLOUT : POLLIN; }

}  // namespace

TSocketClient::TSocketClient() : buffer_(std::make_unique<char[]>(kBufferSize)) {
    try {
        socket_ = OpenSocket();
    } catch (const ESockError& error) {
        throw ESockError("Initializaton of windows sockets failed", error.Code());
    }
}

TSocketClient::~TSocketClient() = default;

void TSocketClient::Disconnect() {
    stopped_ = true;
    cancelled_ = true;
    begin_ = end_ = 0;
    Shut();
}

void TSocketClient::BeginTransfer() {
    cancelled_ = false;
    stopped_ = false;
    timedOut_ = false;
    deadline_.reset();
}

void TSocketClient::CloseConnection() {
    begin_ = end_ = 0;
    Shut();
}

void TSocketClient::Shut() {
    connected_ = false;
    tls_.reset();
    const bool closed = socket_.Close();
    const int closeError = errno;
    socket_ = OpenSocket();
    if (!closed && closeError != EWOULDBLOCK) throw SocketError(closeError);
}

void TSocketClient::RestartTimer() {
    if (timeOut_ > 0) deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeOut_);
    else deadline_.reset();
}

void TSocketClient::ProcessMessages() {
    if (Pump) Pump();
    if (deadline_ && std::chrono::steady_clock::now() >= *deadline_) {
        timedOut_ = true;
        cancelled_ = true;
    }
}

short TSocketClient::WaitStep(short events) {
    pollfd entry{socket_.get(), events, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(kWaitStep.count()));
    ProcessMessages();
    return ready > 0 ? entry.revents : 0;
}

sockaddr_in TSocketClient::Resolve(const std::string& name) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (::inet_pton(AF_INET, name.c_str(), &address.sin_addr) == 1) return address;

    HostLookup lookup(name);
    RestartTimer();
    for (;;) {
        const bool done = lookup.WaitFor(kWaitStep);
        ProcessMessages();
        if (timedOut_) throw ESockError("Host Lookup Timed Out");
        if (cancelled_) throw ESockError("Host Lookup Canceled");
        if (done) break;
    }
    if (!lookup.Found()) throw ESockError("The server " + name + " could not be found.", lookup.ErrorCode());
    address.sin_addr = lookup.Address().sin_addr;
    return address;
}

void TSocketClient::Connect(const std::string& name, int port) {
    if (connected_) throw ESockError("Already connected");
    cutOff_ = false;
    sockaddr_in address = Resolve(name);
    // Port 0 and numbers beyond 16 bits name no server; never let them wrap to another port.
    if (port <= 0 || port > 65535) throw ESockError("Connection Failed", 10049);
    address.sin_port = htons(static_cast<uint16_t>(port));

    RestartTimer();
    if (::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        connected_ = true;
        return;
    }
    if (errno != EINPROGRESS) throw ESockError("Connection Failed", WinSockCodeFromErrno(errno));
    for (;;) {
        const short ready = WaitStep(POLLOUT);
        if (timedOut_) throw ESockError("Connection Timed out");
        if (cancelled_) throw ESockError("Connection Canceled");
        if (ready == 0) continue;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
        if (error != 0) throw ESockError("Connection Failed", WinSockCodeFromErrno(error));
        connected_ = true;
        return;
    }
}

void TSocketClient::Secure(const std::string& host) {
    if (!tlsContext_) tlsContext_ = std::make_unique<TlsContext>();
    tls_ = std::make_unique<TlsConnection>(*tlsContext_, socket_.get(), host);
    RestartTimer();
    for (;;) {
        const TlsWait wait = tls_->Handshake();
        if (wait == TlsWait::None) return;
        // A Disconnect meanwhile has ended the session: only the flags are looked at.
        WaitStep(PollEvents(wait));
        if (timedOut_) throw StoppedAnswering();
        if (cancelled_) throw ESockError("Connection Canceled");
    }
}

std::size_t TSocketClient::SendSome(std::string_view bytes, short& wait) {
    wait = 0;
    if (tls_) {
        TlsWait tlsWait = TlsWait::None;
        const std::size_t sent = tls_->Write(bytes.data(), bytes.size(), tlsWait);
        if (sent == 0) wait = PollEvents(tlsWait);
        return sent;
    }
    const ssize_t sent = ::send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent > 0) return static_cast<std::size_t>(sent);
    if (errno == EAGAIN || errno == EWOULDBLOCK) wait = POLLOUT;
    else if (errno != EINTR) throw SocketError(errno);
    return 0;
}

void TSocketClient::SendText(std::string_view bytes) {
    RestartTimer();
    while (!bytes.empty()) {
        // A Disconnect meanwhile leaves the rest unsent; the reading that follows finds the end.
        if (!connected_) return;
        if (cancelled_) throw StoppedAnswering();
        short wait = 0;
        const std::size_t sent = SendSome(bytes, wait);
        bytes.remove_prefix(sent);
        if (wait != 0) WaitStep(wait);
    }
}

void TSocketClient::Fill() {
    if (tls_) {
        TlsWait wait = TlsWait::None;
        const std::size_t received = tls_->Read(buffer_.get() + end_, kBufferSize - end_, wait);
        if (received > 0) {
            end_ += received;
        } else if (wait == TlsWait::None) {
            cutOff_ = !tls_->ClosedByServer();
            Shut();
        } else {
            WaitStep(PollEvents(wait));
        }
        return;
    }
    const ssize_t received = ::recv(socket_.get(), buffer_.get() + end_, kBufferSize - end_, 0);
    if (received > 0) {
        end_ += static_cast<std::size_t>(received);
    } else if (received == 0) {
        // The server has closed; what it sent before stays readable.
        Shut();
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        WaitStep(POLLIN);
    } else if (errno != EINTR) {
        throw SocketError(errno);
    }
}

std::string TSocketClient::ReadLn() {
    RestartTimer();
    for (;;) {
        const char* data = buffer_.get() + begin_;
        if (const void* feed = std::memchr(data, '\n', end_ - begin_)) {
            const std::size_t length = static_cast<const char*>(feed) - data + 1;
            begin_ += length;
            return std::string(data, length);
        }
        if (!connected_) {
            std::string rest(data, end_ - begin_);
            begin_ = end_ = 0;
            return rest;
        }
        if (cancelled_) throw StoppedAnswering();
        // A line that fills the whole buffer can never end in it.
        if (begin_ == 0 && end_ == kBufferSize)
            throw ESockError("A line from " + host_ + " is longer than " + std::to_string(kBufferSize) + " bytes", 10040);
        if (begin_ > 0) {
            std::memmove(buffer_.get(), data, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        Fill();
    }
}

std::string_view TSocketClient::ReceiveBlock(std::size_t most) {
    if (begin_ == end_ && connected_) {
        begin_ = end_ = 0;
        Fill();
    }
    const std::string_view block(buffer_.get() + begin_, std::min(most, end_ - begin_));
    begin_ += block.size();
    return block;
}

}  // namespace quillane
