#include "WebServer.h"

#include "SearchPath.h"
#include "ServerErrors.h"
#include "TextUtils.h"

namespace quillane {

TCustomWebServer::TCustomWebServer()
    : log_(std::make_unique<TServerLog>(*this)), listeningSocket_(std::make_unique<TWebListeningSocket>(*this)) {}

TCustomWebServer::~TCustomWebServer() {
    listeningSocket_->Close();
    listeningSocket_.reset();
    log_.reset();
}

int TCustomWebServer::Port() const { return listeningSocket_->Listening() ? listeningSocket_->BoundPort() : port_; }

void TCustomWebServer::SetPort(int port) {
    if (Active()) throw ESocketError("Can't change value while socket is active");
    port_ = port;
}

void TCustomWebServer::SetActive(bool active) {
    try {
        if (active && !Active()) listeningSocket_->Listen(port_);
        else if (!active) listeningSocket_->Close();
    } catch (const std::exception& error) {
        log_->LogError(3, 0, error.what());
        throw;
    }
}

void TCustomWebServer::SetSearchPath(std::string searchPath) {
    searchPath_ = std::move(searchPath);
    const std::lock_guard lock(resolvedLock_);
    resolvedSearchPath_.clear();
}

std::string TCustomWebServer::RedirectUrl() const {
    const std::string& d = defaultURL_;
    if (d.empty()) return {};
    if (StartsWithText(d, "http") || d.rfind("//", 0) == 0) return d;
    return "http://localhost:" + std::to_string(Port()) + "/" + (d[0] == '/' ? d.substr(1) : d);
}

std::string TCustomWebServer::ResolvedSearchPath() {
    // Workers ask at the same time; the first one fills the cache.
    const std::lock_guard lock(resolvedLock_);
    if (resolvedSearchPath_.empty() && !searchPath_.empty()) resolvedSearchPath_ = ExpandSearchPath(searchPath_);
    return resolvedSearchPath_;
}

}  // namespace quillane
