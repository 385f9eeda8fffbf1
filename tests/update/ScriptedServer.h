#pragma once

#include "UniqueFd.h"

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillane::testing {

// One accepted connection, as a script of the test server drives it. Every
// wait ends after a few seconds at the latest, or when the server stops.
class ServerConnection {
public:
    ServerConnection(UniqueFd socket, int stopFd, std::function<void(const std::string&)> record);

    // Reads up to the blank line that ends the request header and records it.
    std::string ReadRequest();
    void Send(std::string_view bytes);
    // Ends the connection with a reset instead of an orderly close.
    void Reset();
    // Sends nothing until the client goes away or the server stops.
    void Stall();

private:
    // Waits until the socket is readable; false when stopping or after the limit.
    bool WaitReadable();

    UniqueFd socket_;
    int stopFd_;
    std::function<void(const std::string&)> record_;
};

// A test server on 127.0.0.1 that answers with exact bytes: each accepted
// connection runs the next script (the last one again when they run out) on
// the server's thread, one connection after the other.
class ScriptedServer {
public:
    using Script = std::function<void(ServerConnection&)>;

    explicit ScriptedServer(std::vector<Script> scripts);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int Port() const { return port_; }
    // "127.0.0.1:<port>", as a request's Host names this server.
    std::string Authority() const { return "127.0.0.1:" + std::to_string(port_); }
    // "http://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path) const;
    // The request headers received so far, in order.
    std::vector<std::string> Requests() const;
    int Connections() const;

private:
    void Serve();

    std::vector<Script> scripts_;
    UniqueFd listener_;
    UniqueFd stopRead_;
    UniqueFd stopWrite_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    int connections_ = 0;
    std::thread thread_;
};

// Reads the request, sends bytes and closes.
ScriptedServer::Script Reply(std::string bytes);
// Reads the request and then sends nothing.
ScriptedServer::Script Stall();

// A loopback port that nothing listens on (just released by the kernel).
int UnusedPort();

}  // namespace quillane::testing
