#pragma once

#include "SockErrors.h"
#include "UniqueFd.h"

#include <chrono>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <string_view>

namespace quillane {

class TlsConnection;
class TlsContext;

// A TCP client for one connection at a time: name lookup, connecting,
// sending, and line and block input, each waiting in short steps on the
// socket so that the owner's window stays alive through Pump.
class TSocketClient {
public:
    // Each read takes at most this many bytes.
    static constexpr std::size_t kBufferSize = 65536;
    // Milliseconds without progress after which a transfer fails, unless set otherwise.
    static constexpr int kDefaultTimeOut = 30000;

    // Raises ESockError "Initializaton of windows sockets failed" when no socket can be had.
    TSocketClient();
    virtual ~TSocketClient();
    TSocketClient(const TSocketClient&) = delete;
    TSocketClient& operator=(const TSocketClient&) = delete;

    // Server name or dotted address.
    const std::string& Host() const { return host_; }
    void SetHost(std::string host) { host_ = std::move(host); }
    // Server port; 0 means 80.
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }
    // Milliseconds that any wait may last without progress (kDefaultTimeOut
    // unless set); 0 waits for ever.
    int TimeOut() const { return timeOut_; }
    void SetTimeOut(int milliseconds) { timeOut_ = milliseconds; }
    // Verbosity of status reports; this client makes none.
    int ReportLevel() const { return reportLevel_; }
    void SetReportLevel(int level) { reportLevel_ = level; }

    // Runs the owner's pending events (repaints, progress, a Cancel button).
    // Called after every wait of a few milliseconds on the socket and after
    // every block received; it may call Disconnect.
    std::function<void()> Pump;

    bool Connected() const { return connected_; }

    // Closes the connection at once and takes a fresh socket. While a
    // transfer runs this also ends it: a lookup or connection attempt fails
    // as cancelled, a read in progress sees the end of the connection.
    void Disconnect();

protected:
    // Starts a transfer: no cancel, no time-out yet.
    void BeginTransfer();
    // Resolves name and connects to it at port.
    void Connect(const std::string& name, int port);
    // Makes the connection secure: the TLS handshake, waiting as Connect
    // waits, with the server's certificate checked for host. Everything sent
    // and received afterwards goes through TLS until the connection closes.
    void Secure(const std::string& host);
    void SendText(std::string_view bytes);
    // The next line with its line end; what is left when the server closed
    // in the middle of a line; empty once the connection has ended.
    std::string ReadLn();
    // Data already received or arriving now, at most most bytes, valid until
    // the next read; empty when nothing came (yet or any more). What is left
    // over stays for the next read.
    std::string_view ReceiveBlock(std::size_t most = kBufferSize);
    // The transfer's own close: drops unread data and takes a fresh socket.
    void CloseConnection();
    // Runs Pump and lets the time-out fire.
    void ProcessMessages();
    // The time-out counts again from now.
    void RestartTimer();
    bool Cancelled() const { return cancelled_; }
    // Disconnect has been called during this transfer.
    bool Stopped() const { return stopped_; }
    // The secure connection ended without the server's announcement of its
    // end (TLS close_notify): someone on the way may have cut it short.
    bool CutOff() const { return cutOff_; }

private:
    sockaddr_in Resolve(const std::string& name);
    // Receives into the buffer; waits a step when nothing is there.
    void Fill();
    // Sends what it can of bytes at once. Sending nothing, it sets wait to
    // the poll events to wait for (none: try again at once).
    std::size_t SendSome(std::string_view bytes, short& wait);
    // Waits a step for the socket to be ready, then runs the pump.
    short WaitStep(short events);
    void Shut();

    std::string host_;
    int port_ = 0;
    int timeOut_ = kDefaultTimeOut;
    int reportLevel_ = 0;

    UniqueFd socket_;
    // Made at the first secure connection and kept for the next ones.
    std::unique_ptr<TlsContext> tlsContext_;
    // Set while the connection is secure.
    std::unique_ptr<TlsConnection> tls_;
    bool connected_ = false;
    bool cancelled_ = false;
    bool stopped_ = false;
    bool timedOut_ = false;
    bool cutOff_ = false;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

}  // namespace quillane
