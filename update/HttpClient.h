#pragma once

#include "SocketClient.h"

#include <cstdint>
#include <functional>
#include <string>

namespace quillane {

struct ResponseFields;
struct GetRequest;
class BodyOutput;
class TransferOutput;

// Optional values of the request header. The client fills Cookie itself from
// a redirect answer that sets one (its name=value only), and sends it from
// then on to the host that set it; one marked Secure only over https, and
// only when it came over https.
struct THeaderInfo {
    std::string LocalMailAddress;
    std::string LocalProgram;
    std::string Cookie;
    std::string Referer;
    std::string UserId;
    std::string Password;
};

// Fetches a URL with an HTTP/1.0 GET, one connection per request (over TLS
// for https:// addresses, the server's certificate verified), and puts the
// body of a successful answer into the file Body (or into Body itself with
// InputFileMode off). The body ends where Content-Length or the chunked
// coding says, else with the connection, which over TLS the server must
// close with close_notify. Redirects (301, 302, 303, 307, 308) are followed,
// their Location taken relative to the address that answered. Get returns
// when the transfer has ended and keeps the owner's window alive through
// Pump meanwhile.
class THttpClient : public TSocketClient {
public:
    // Redirects that one Get follows; one more fails it.
    static constexpr int kMaxRedirects = 20;

    THttpClient() = default;

    // With InputFileMode on: the file that receives the body. It is written
    // under a temporary name beside it and takes its place only once the
    // body of a 2xx answer has arrived whole; otherwise it stays as it was.
    // With InputFileMode off: the body itself, replaced under the same rule.
    const std::string& Body() const { return body_; }
    void SetBody(std::string body) { body_ = std::move(body); }
    // With OutputFileMode off: the text of the response headers of the last Get.
    // With it on: the file that receives that text.
    const std::string& Header() const { return header_; }
    void SetHeader(std::string header) { header_ = std::move(header); }
    bool InputFileMode() const { return inputFileMode_; }
    void SetInputFileMode(bool on) { inputFileMode_ = on; }
    bool OutputFileMode() const { return outputFileMode_; }
    void SetOutputFileMode(bool on) { outputFileMode_ = on; }
    // Proxy server name or address; empty connects directly.
    const std::string& Proxy() const { return proxy_; }
    void SetProxy(std::string proxy) { proxy_ = std::move(proxy); }
    int ProxyPort() const { return proxyPort_; }
    void SetProxyPort(int port) { proxyPort_ = port; }
    THeaderInfo& HeaderInfo() { return headerInfo_; }
    const THeaderInfo& HeaderInfo() const { return headerInfo_; }

    // Raised after every block of the body has been received; may call Disconnect.
    std::function<void(THttpClient& sender)> OnPacketRecvd;

    // Body bytes received so far in the current response (after the chunked coding is undone).
    int64_t ReceivedBytes() const { return receivedBytes_; }
    // Content-Length of the last response; 0 when it had none or was chunked.
    int64_t ContentLength() const { return contentLength_; }
    // Status of the final response of the last Get; 0 when no complete
    // response header arrived (the server closed early, or Disconnect came first).
    int StatusCode() const { return statusCode_; }

    // Fetches url, an absolute http or https address. Raises on every
    // failure, with the connection closed and Body as it was: among them a
    // header or body cut short, a transfer coding other than chunked, and a
    // time-out. An answer with an error status is no failure: Get returns
    // with its status, and Body as it was. Returns normally after a
    // Disconnect during the response, Body as it was.
    void Get(const std::string& url);

private:
    // Host, with ":" + Port unless it is the scheme's own: what the request's Host names.
    std::string Authority() const;
    // Connect, send, read the answer, close: one request.
    ResponseFields Transact(const GetRequest& request, TransferOutput& header);
    ResponseFields ReadResponseHeader(TransferOutput& header);
    // Reads the body as the header frames it; false when a Disconnect ended it.
    bool ReadBody(const ResponseFields& response, BodyOutput& body);
    bool ReadLength(int64_t length, BodyOutput& body);
    bool ReadChunked(BodyOutput& body);
    bool ReadToTheEnd(BodyOutput& body);
    // Bytes of the body as they come, at most length of them; false when the connection ended first.
    bool ReadUpTo(int64_t length, BodyOutput& body);
    // Stores a block of the body and lets the owner see the progress.
    void Take(std::string_view block, BodyOutput& body);
    // The connection ended before the answer was whole: after a Disconnect
    // that is the end of the transfer, otherwise the server cut it short and this raises.
    void FailUnlessStopped() const;

    std::string body_ = "Default.htm";
    std::string header_ = "Head.txt";
    bool inputFileMode_ = false;
    bool outputFileMode_ = false;
    std::string proxy_;
    int proxyPort_ = 0;
    THeaderInfo headerInfo_;
    // The host whose redirect set headerInfo_.Cookie; empty for a cookie the owner set.
    std::string cookieHost_;
    // That cookie was marked Secure.
    bool cookieSecure_ = false;
    // The current request goes over TLS.
    bool secure_ = false;

    int64_t receivedBytes_ = 0;
    int64_t contentLength_ = 0;
    int statusCode_ = 0;
    bool busy_ = false;
};

}  // namespace quillane
