#include "ScriptedServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace quillane::testing {

namespace {

constexpr int kLimitMs = 5000;

UniqueFd LoopbackSocket(int port, int& boundPort) {
    UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket) throw std::runtime_error("no socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind a loopback port");
    socklen_t length = sizeof address;
    ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &length);
    boundPort = ntohs(address.sin_port);
    return socket;
}

}  // namespace

ServerConnection::ServerConnection(UniqueFd socket, int stopFd, std::function<void(const std::string&)> record)
    : socket_(std::move(socket)), stopFd_(stopFd), record_(std::move(record)) {}

bool ServerConnection::WaitReadable() {
    pollfd entries[2] = {{socket_.get(), POLLIN, 0}, {stopFd_, POLLIN, 0}};
    return ::poll(entries, 2, kLimitMs) > 0 && entries[1].revents == 0;
}

std::string ServerConnection::ReadRequest() {
    std::string request;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLimitMs);
    while (request.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < limit) {
        if (!WaitReadable()) break;
        char buffer[4096];
        const ssize_t received = ::recv(socket_.get(), buffer, sizeof buffer, 0);
        if (received <= 0) break;
        request.append(buffer, static_cast<std::size_t>(received));
    }
    record_(request);
    return request;
}

void ServerConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

void ServerConnection::Reset() {
    const linger abortive{1, 0};
    ::setsockopt(socket_.get(), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    socket_.Close();
}

void ServerConnection::Stall() {
    char buffer[4096];
    while (WaitReadable() && ::recv(socket_.get(), buffer, sizeof buffer, 0) > 0) {
    }
}

ScriptedServer::ScriptedServer(std::vector<Script> scripts) : scripts_(std::move(scripts)) {
    listener_ = LoopbackSocket(0, port_);
    if (::listen(listener_.get(), 8) != 0) throw std::runtime_error("cannot listen");
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    stopRead_ = UniqueFd(pipeFds[0]);
    stopWrite_ = UniqueFd(pipeFds[1]);
    thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    const char stop = 's';
    [[maybe_unused]] const ssize_t written = ::write(stopWrite_.get(), &stop, 1);
    thread_.join();
}

std::string ScriptedServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> ScriptedServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int ScriptedServer::Connections() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

void ScriptedServer::Serve() {
    for (std::size_t next = 0;;) {
        pollfd entries[2] = {{listener_.get(), POLLIN, 0}, {stopRead_.get(), POLLIN, 0}};
        if (::poll(entries, 2, -1) < 0 && errno != EINTR) return;
        if (entries[1].revents != 0) return;
        if (entries[0].revents == 0) continue;
        UniqueFd accepted(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!accepted) continue;
        {
            std::lock_guard lock(mutex_);
            ++connections_;
        }
        ServerConnection connection(std::move(accepted), stopRead_.get(), [this](const std::string& request) {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        });
        scripts_[std::min(next++, scripts_.size() - 1)](connection);
    }
}

ScriptedServer::Script Reply(std::string bytes) {
    return [bytes = std::move(bytes)](ServerConnection& connection) {
        connection.ReadRequest();
        connection.Send(bytes);
    };
}

ScriptedServer::Script Stall() {
    return [](ServerConnection& connection) {
        connection.ReadRequest();
        connection.Stall();
    };
}

int UnusedPort() {
    int port = 0;
    LoopbackSocket(0, port);
    return port;
}

}  // namespace quillane::testing
