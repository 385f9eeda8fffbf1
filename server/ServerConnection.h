#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <string>

#include "ClientConnection.h"
#include "Streams.h"
#include "UniqueFd.h"

namespace quillane {

class TServerLog;

// One accepted client connection. Its worker reads, writes and closes it; shutdown
// may interrupt it from another thread at any moment.
class TServerConnection : public TClientConnection {
public:
    // fd: the accepted socket, non-blocking; peer: the client's address as accept gave it;
    // sendTimeout: how long a write waits for the client to take more.
    TServerConnection(UniqueFd fd, const sockaddr_in& peer, TServerLog& log, std::chrono::milliseconds sendTimeout);

    bool SendAll(const char* data, std::size_t count) override;
    // Straight from the file to the socket, without a copy through this process.
    std::size_t SendFilePiece(TFileStream& file, std::size_t count) override;
    // Takes what has arrived, or waits at most timeout for data. 0 on time-out, at the end of the data or after
    // an interrupt; a failing receive is reported and raises ESocketError.
    std::size_t Receive(char* buffer, std::size_t count, std::chrono::milliseconds timeout);
    // Wakes a blocked read or send at once; later reads find the end of the data.
    void Interrupt();
    // Closes; unread input is drained first for a moment, so the client gets the
    // answer instead of a reset.
    void Close();

    // The peer's IPv4 address in dotted form, and a lookup of its name (a reverse
    // lookup, run only when called); empty when unknown. The lookup keeps the
    // address, so it can run after the connection has closed.
    struct TPeer {
        std::string address;
        std::function<std::string()> lookUpHostName;
    };
    TPeer Peer() const;

private:
    // Logs a failing send (kind 1) or receive (kind 2) and closes the connection.
    void ReportSocketError(int kind, int code);
    // After a send that failed with error: 0 when the socket takes more before the
    // deadline, else the error that ends the write (ETIMEDOUT when the time ran out).
    int WaitToSend(int fd, int error, std::chrono::steady_clock::time_point deadline) const;
    // Ends a write that failed with error; a send cut off by shutdown is no error of the client's.
    void SendFailed(int error);
    int Descriptor() const;

    mutable std::mutex lock_;
    UniqueFd fd_;
    sockaddr_in peer_;
    std::atomic<bool> interrupted_ = false;
    TServerLog& log_;
    const std::chrono::milliseconds sendTimeout_;
};

// Blocking reads from one connection, each waiting at most the read time-out.
class TSocketStream : public TStream {
public:
    TSocketStream(TServerConnection& connection, std::chrono::milliseconds timeout)
        : connection_(connection), timeout_(timeout) {}

    std::size_t Read(char* buffer, std::size_t count) override;
    // A socket cannot go back; bytes read stay read.
    void Seek(std::int64_t) override {}
    void StartDeadline() override { deadline_ = std::chrono::steady_clock::now() + timeout_; }

private:
    TServerConnection& connection_;
    std::chrono::milliseconds timeout_;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
};

}  // namespace quillane
