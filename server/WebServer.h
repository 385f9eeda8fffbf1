#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "ListeningSocket.h"
#include "ServerLog.h"

namespace quillane {

// The local HTTP server: listens on the loopback address, serves each connection on
// a worker thread, and answers with files from its search path. Settings are made
// on the owner's thread while the server is off.
class TCustomWebServer {
public:
    TCustomWebServer();
    ~TCustomWebServer();
    TCustomWebServer(const TCustomWebServer&) = delete;
    TCustomWebServer& operator=(const TCustomWebServer&) = delete;

    // 0 lets the system choose a free port; while listening, the port in use.
    int Port() const;
    // Raises ESocketError "Can't change value while socket is active" while listening.
    void SetPort(int port);
    bool Active() const { return listeningSocket_->Listening(); }
    // Failures are logged as activation errors (kind 3) and raised again.
    void SetActive(bool active);

    const std::string& SearchPath() const { return searchPath_; }
    void SetSearchPath(std::string searchPath);
    const std::string& DefaultURL() const { return defaultURL_; }
    void SetDefaultURL(std::string url) { defaultURL_ = std::move(url); }
    // How long a read waits for the client, and a write for the client to take
    // more since the last byte it took; one minute unless changed.
    std::chrono::milliseconds ReadTimeout() const { return readTimeout_; }
    void SetReadTimeout(std::chrono::milliseconds timeout) { readTimeout_ = timeout; }

    TServerLog& Log() { return *log_; }
    // Receives each log entry on delivery; keeps it by moving it out.
    std::function<void(TServerLog&, std::unique_ptr<TTransactionLogEntry>&)> LogHandler;

    TWebListeningSocket& ListeningSocket() { return *listeningSocket_; }

    // Where a request with an empty path is sent, or empty.
    std::string RedirectUrl() const;
    // SearchPath with its environment references expanded, worked out once.
    std::string ResolvedSearchPath();

private:
    int port_ = 0;
    std::string searchPath_;
    std::string defaultURL_;
    std::chrono::milliseconds readTimeout_ = std::chrono::milliseconds(60000);
    std::mutex resolvedLock_;
    std::string resolvedSearchPath_;
    // The log outlives the listening socket, whose threads write to it.
    std::unique_ptr<TServerLog> log_;
    std::unique_ptr<TWebListeningSocket> listeningSocket_;
};

}  // namespace quillane
