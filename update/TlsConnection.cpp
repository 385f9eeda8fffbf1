#include "TlsConnection.h"

#include "SockErrors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>

namespace quillane {

struct TlsTransport {
    int socket = -1;
    // The server closed the connection.
    bool ended = false;
    // errno of the last failed send or recv other than "would block".
    int error = 0;
};

namespace {

const std::string kUnavailable = "Secure connections are not available on this system";
constexpr std::size_t kReadAhead = 65536;

// The session's transport: send and recv on the caller's socket. OpenSSL's
// own socket transport writes with write(), which raises SIGPIPE when the
// server has gone; send with MSG_NOSIGNAL reports EPIPE instead.
TlsTransport& TransportOf(BIO* bio) { return *static_cast<TlsTransport*>(BIO_get_data(bio)); }

int TransportWrite(BIO* bio, const char* data, std::size_t size, std::size_t* written) {
    TlsTransport& transport = TransportOf(bio);
    BIO_clear_retry_flags(bio);
    const ssize_t sent = ::send(transport.socket, data, size, MSG_NOSIGNAL);
    if (sent >= 0) {
        *written = static_cast<std::size_t>(sent);
        return 1;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) BIO_set_retry_write(bio);
    else transport.error = errno;
    return 0;
}

int TransportRead(BIO* bio, char* data, std::size_t size, std::size_t* read) {
    TlsTransport& transport = TransportOf(bio);
    BIO_clear_retry_flags(bio);
    const ssize_t received = ::recv(transport.socket, data, size, 0);
    if (received > 0) {
        *read = static_cast<std::size_t>(received);
        return 1;
    }
    if (received == 0) transport.ended = true;
    else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) BIO_set_retry_read(bio);
    else transport.error = errno;
    return 0;
}

long TransportControl(BIO* bio, int command, long, void*) {
    switch (command) {
    case BIO_CTRL_FLUSH:
        return 1;
    case BIO_CTRL_EOF:
        return TransportOf(bio).ended ? 1 : 0;
    default:
        return 0;
    }
}

// Made once for the whole program; null when OpenSSL could not make it.
const BIO_METHOD* TransportMethod() {
    static const struct Method {
        BIO_METHOD* method = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "quillane socket");
        Method() {
            if (!method) return;
            BIO_meth_set_write_ex(method, TransportWrite);
            BIO_meth_set_read_ex(method, TransportRead);
            BIO_meth_set_ctrl(method, TransportControl);
        }
        ~Method() { BIO_meth_free(method); }
    } method;
    return method.method;
}

bool IsAddress(const std::string& host) {
    unsigned char address[16];
    return ::inet_pton(AF_INET, host.c_str(), address) == 1 || ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

}  // namespace

void TlsContext::Free::operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
void TlsConnection::Free::operator()(SSL* session) const { SSL_free(session); }

TlsContext::TlsContext() : context_(SSL_CTX_new(TLS_client_method())) {
    SSL_CTX* context = context_.get();
    if (!context || SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_default_verify_paths(context) != 1) {
        ERR_clear_error();
        throw ESockError(kUnavailable);
    }
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE);
    // Each receive takes whatever has arrived, up to a block, instead of one record's header and then its body.
    SSL_CTX_set_read_ahead(context, 1);
    SSL_CTX_set_default_read_buffer_len(context, kReadAhead);
}

TlsConnection::TlsConnection(const TlsContext& context, int socket, const std::string& host)
    : host_(host), transport_(std::make_unique<TlsTransport>()), session_(SSL_new(context.Get())) {
    transport_->socket = socket;
    BIO* bio = TransportMethod() ? BIO_new(TransportMethod()) : nullptr;
    if (!session_ || !bio) {
        BIO_free(bio);
        ERR_clear_error();
        throw ESockError(kUnavailable);
    }
    BIO_set_data(bio, transport_.get());
    BIO_set_init(bio, 1);
    SSL_set_bio(session_.get(), bio, bio);
    // The server's name goes out in the handshake (SNI) unless it is an address,
    // which SNI cannot carry; either is what the certificate must be for.
    if ((!IsAddress(host) && SSL_set_tlsext_host_name(session_.get(), host.c_str()) != 1) ||
        SSL_set1_host(session_.get(), host.c_str()) != 1) {
        ERR_clear_error();
        throw ESockError("A secure connection to " + host + " could not be made");
    }
    SSL_set_hostflags(session_.get(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
}

TlsConnection::~TlsConnection() = default;

TlsWait TlsConnection::Handshake() {
    ERR_clear_error();
    const int result = SSL_connect(session_.get());
    if (result == 1) return TlsWait::None;
    const int error = SSL_get_error(session_.get(), result);
    if (error == SSL_ERROR_WANT_READ) return TlsWait::Readable;
    if (error == SSL_ERROR_WANT_WRITE) return TlsWait::Writable;
    ERR_clear_error();
    switch (SSL_get_verify_result(session_.get())) {
    case X509_V_OK:
        throw ESockError("A secure connection to " + host_ + " could not be made");
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        throw ESockError("The certificate of " + host_ + " is for another name");
    case X509_V_ERR_CERT_HAS_EXPIRED:
        throw ESockError("The certificate of " + host_ + " has expired");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        throw ESockError("The certificate of " + host_ + " is not valid yet");
    default:
        throw ESockError("The certificate of " + host_ + " is not trusted");
    }
}

std::size_t TlsConnection::Read(char* data, std::size_t size, TlsWait& wait) {
    wait = TlsWait::None;
    if (ended_) return 0;
    std::size_t total = 0;
    // A record holds at most 16 KiB: the records already received are taken
    // together, so that the caller handles one block per receive.
    do {
        ERR_clear_error();
        std::size_t read = 0;
        const int result = SSL_read_ex(session_.get(), data + total, size - total, &read);
        if (result != 1) {
            // A wait after some data comes again at the next read; an end is kept for it.
            const TlsWait next = Examine(result);
            if (total == 0) wait = next;
            break;
        }
        total += read;
    } while (total < size && SSL_has_pending(session_.get()));
    return total;
}

std::size_t TlsConnection::Write(const char* data, std::size_t size, TlsWait& wait) {
    ERR_clear_error();
    std::size_t written = 0;
    const int result = SSL_write_ex(session_.get(), data, size, &written);
    if (result == 1) {
        wait = TlsWait::None;
        return written;
    }
    wait = Examine(result);
    // The server has closed: nothing more can be sent to it.
    if (wait == TlsWait::None) throw SocketError(EPIPE);
    return 0;
}

TlsWait TlsConnection::Examine(int result) {
    switch (SSL_get_error(session_.get(), result)) {
    case SSL_ERROR_WANT_READ:
        return TlsWait::Readable;
    case SSL_ERROR_WANT_WRITE:
        return TlsWait::Writable;
    case SSL_ERROR_ZERO_RETURN:
        return End(true);
    case SSL_ERROR_SYSCALL:
        ERR_clear_error();
        if (transport_->error != 0) throw SocketError(transport_->error);
        return End(false);
    default: {
        const bool cutShort = transport_->ended && ERR_GET_REASON(ERR_peek_last_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING;
        ERR_clear_error();
        if (cutShort) return End(false);
        throw ESockError("The secure connection to " + host_ + " failed");
    }
    }
}

TlsWait TlsConnection::End(bool announced) {
    ended_ = true;
    closedByServer_ = announced;
    return TlsWait::None;
}

}  // namespace quillane
