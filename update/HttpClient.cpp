#include "HttpClient.h"

#include "HttpRequest.h"
#include "HttpResponse.h"
#include "HttpUrl.h"
#include "TransferOutput.h"

#include <algorithm>
#include <cctype>

namespace quillane {

namespace {

// The request header goes out in one write of at most this many bytes.
constexpr std::size_t kMaxRequestLines = 65535;

bool IsRedirect(int status) { return status >= 300 && status <= 302; }

std::string TrimmedSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The "name=value" of a Set-Cookie value: its attributes (path, expiry, domain)
// are for the client, never sent back.
std::string CookiePair(const std::string& setCookie) { return TrimmedSpaces(setCookie.substr(0, setCookie.find(';'))); }

// A cookie marked Secure travels over secure connections only.
bool IsSecureCookie(const std::string& setCookie) {
    for (std::size_t at = setCookie.find(';'); at != std::string::npos;) {
        const std::size_t next = setCookie.find(';', at + 1);
        if (SameText(TrimmedSpaces(setCookie.substr(at + 1, next - at - 1)), "secure")) return true;
        at = next;
    }
    return false;
}

}  // namespace

std::string THttpClient::Authority() const {
    return Port() == (secure_ ? 443 : 80) ? Host() : Host() + ":" + std::to_string(Port());
}

std::string THttpClient::ServerUrl() const { return (secure_ ? "https://" : "http://") + Authority(); }

void THttpClient::Get(const std::string& url) {
    // A Get from an event handler of a running Get would share its connection.
    if (busy_) throw ESockError("Already connected");
    busy_ = true;
    struct Idle {
        bool& busy;
        ~Idle() { busy = false; }
    } idle{busy_};

    BeginTransfer();
    statusCode_ = 0;
    TransferOutput header;
    header.Open(outputFileMode_, header_);
    std::string current = url;
    for (int repeats = 0;; ++repeats) {
        std::string host = Host();
        int port = Port();
        bool secure = secure_;
        const std::string path = ParseUrl(current, host, port, secure);
        // Following it would send the request, cookie included, in the clear.
        if (repeats > 0 && secure_ && !secure)
            throw ESockError("The secure site " + Host() + " redirects to an address that is not secure; it is not followed");
        // A proxy would need a tunnel for it, which this client does not make.
        if (secure && !proxy_.empty()) throw ESockError("Secure addresses cannot be fetched through a proxy");
        SetHost(host);
        SetPort(port);
        secure_ = secure;

        // A cookie the client received goes back only to the host that set it, and
        // one marked Secure only over a secure connection.
        const bool sendCookie = (cookieHost_.empty() || SameText(cookieHost_, host)) && (!cookieSecure_ || secure);
        const ResponseFields response =
            Transact({path, current, Authority(), sendCookie ? headerInfo_.Cookie : std::string(), !proxy_.empty()}, header);
        statusCode_ = response.complete ? response.status : 0;
        const int status = response.status;
        // After Disconnect the answer so far is all there is; a redirect
        // without a target has nowhere to lead.
        if (Stopped() || (IsRedirect(status) && response.location.empty())) break;
        if (IsRedirect(status)) current = response.location;
        if (status >= 300 && status <= 398) {
            // A cookie marked Secure that came in the clear may have been forged on the way.
            const bool secureCookie = IsSecureCookie(response.cookie);
            if (!CookiePair(response.cookie).empty() && (secure || !secureCookie)) {
                headerInfo_.Cookie = CookiePair(response.cookie);
                cookieHost_ = host;
                cookieSecure_ = secureCookie;
            }
            // A bare name is relative to the root of the server that answered, port included.
            if (current.find('/') == std::string::npos) current = ServerUrl() + "/" + current;
        }
        if (status < 299 || status > 399 || repeats == kMaxRepeats) break;
    }
    header.Close();
}

ResponseFields THttpClient::Transact(const GetRequest& request, TransferOutput& header) {
    ResponseFields response;
    try {
        const std::string lines = RequestHeaderLines(request);
        if (lines.size() > kMaxRequestLines) {
            throw ESockError("The request to " + request.host + " would be longer than " +
                                 std::to_string(kMaxRequestLines) + " bytes: its address or cookie is too long",
                             10040);
        }
        if (proxy_.empty()) {
            Connect(Host(), Port());
            if (secure_) Secure(Host());
        } else {
            Connect(proxy_, proxyPort_);
        }
        SendText(lines);
        SendText("\r\n");
        response = ReadResponseHeader(header);
        ReadBody();
    } catch (...) {
        // The first failure is the one to report; a failing close adds nothing.
        try {
            CloseConnection();
        } catch (const ESockError&) {
        }
        throw;
    }
    CloseConnection();
    return response;
}

ResponseFields THttpClient::ReadResponseHeader(TransferOutput& header) {
    ResponseFields response;
    contentLength_ = 0;
    std::string line = ReadLn();
    header.Append(line);
    response.status = StatusFromLine(line);
    while (!EndsHeader(line)) {
        line = ReadLn();
        header.Append(line);
        ExamineHeaderLine(line, response);
        contentLength_ = response.contentLength;
    }
    response.complete = !line.empty();
    return response;
}

void THttpClient::ReadBody() {
    TransferOutput body;
    body.Open(inputFileMode_, body_);
    receivedBytes_ = 0;
    RestartTimer();
    for (;;) {
        const std::string_view block = ReceiveBlock();
        if (!block.empty()) {
            body.Append(block);
            receivedBytes_ += static_cast<int64_t>(block.size());
            if (OnPacketRecvd) OnPacketRecvd(*this);
            RestartTimer();
            ProcessMessages();
            continue;
        }
        if (!Connected()) break;
        if (Cancelled()) throw EAbortError("Socket send aborted");
    }
    body.Close();
}

}  // namespace quillane
