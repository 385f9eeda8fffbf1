#pragma once

#include <cstddef>
#include <memory>
#include <string>

using SSL_CTX = struct ssl_ctx_st;
using SSL = struct ssl_st;

namespace quillane {

struct TlsTransport;

// What a TLS step waits for on the socket before it can go on.
enum class TlsWait { None, Readable, Writable };

// The client's TLS settings, made once per client: TLS 1.2 at least, and every
// server verified against the system's trusted certificates (SSL_CERT_FILE and
// SSL_CERT_DIR name others, as for every OpenSSL program). There is no way to
// turn verification off.
class TlsContext {
public:
    TlsContext();
    SSL_CTX* Get() const { return context_.get(); }

private:
    struct Free {
        void operator()(SSL_CTX* context) const;
    };
    std::unique_ptr<SSL_CTX, Free> context_;
};

// One TLS session over a connected non-blocking socket that stays the
// caller's. Every step returns at once and says what it waits for; the caller
// polls the socket. Nothing here ever raises SIGPIPE.
class TlsConnection {
public:
    // host is sent as the server's name (unless it is an address) and must be
    // the name, or the address, that the server's certificate is for.
    TlsConnection(const TlsContext& context, int socket, const std::string& host);
    ~TlsConnection();
    TlsConnection(const TlsConnection&) = delete;
    TlsConnection& operator=(const TlsConnection&) = delete;

    // Takes the handshake one step further; TlsWait::None once it is done.
    // Raises ESockError saying, with the host, why no secure connection came about.
    TlsWait Handshake();
    // Decrypted bytes, at most size. 0 with TlsWait::None: the session has ended.
    std::size_t Read(char* data, std::size_t size, TlsWait& wait);
    // After the end: whether the server announced it (close_notify). An end
    // without it may be an attacker cutting the connection short.
    bool ClosedByServer() const { return closedByServer_; }
    // Bytes taken from data, perhaps fewer than size; 0 with a wait when none could go yet.
    std::size_t Write(const char* data, std::size_t size, TlsWait& wait);

private:
    struct Free {
        void operator()(SSL* session) const;
    };
    // What a failed read or write means: a wait, the end, or an error raised.
    TlsWait Examine(int result);
    // The end of the session, announced or not.
    TlsWait End(bool announced);

    std::string host_;
    std::unique_ptr<TlsTransport> transport_;
    std::unique_ptr<SSL, Free> session_;
    bool ended_ = false;
    bool closedByServer_ = false;
};

}  // namespace quillane
