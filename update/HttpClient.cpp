#include "HttpClient.h"

#include "HttpRequest.h"
#include "HttpResponse.h"
#include "HttpUrl.h"
#include "TransferOutput.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace quillane {

namespace {

// The request header goes out in one write of at most this many bytes.
constexpr std::size_t kMaxRequestLines = 65535;

// The answers whose Location the client asks for next; the client only sends
// GET, so 303 (see other) leads where the others do.
bool IsRedirect(int status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

bool IsSuccess(int status) { return status >= 200 && status <= 299; }

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

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
    return text;
}

}  // namespace

std::string THttpClient::Authority() const {
    return Port() == (secure_ ? 443 : 80) ? Host() : Host() + ":" + std::to_string(Port());
}

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
    receivedBytes_ = 0;
    TransferOutput header;
    header.Open(outputFileMode_, header_);
    std::string current = url;
    for (int redirects = 0;; ++redirects) {
        const HttpTarget target = ParseHttpUrl(current);
        // Following it would send the request, cookie included, in the clear.
        if (redirects > 0 && secure_ && !target.secure)
            throw ESockError("The secure site " + Host() + " redirects to an address that is not secure; it is not followed");
        // A proxy would need a tunnel for it, which this client does not make.
        if (target.secure && !proxy_.empty()) throw ESockError("Secure addresses cannot be fetched through a proxy");
        SetHost(target.host);
        SetPort(target.port);
        secure_ = target.secure;

        // A cookie the client received goes back only to the host that set it, and
        // one marked Secure only over a secure connection.
        const bool sendCookie =
            (cookieHost_.empty() || SameText(cookieHost_, target.host)) && (!cookieSecure_ || target.secure);
        const ResponseFields response = Transact(
            {target.path, target.url, Authority(), sendCookie ? headerInfo_.Cookie : std::string(), !proxy_.empty()},
            header);
        statusCode_ = response.complete ? response.status : 0;
        // After Disconnect the answer so far is all there is; a redirect
        // without a target has nowhere to lead.
        if (!response.complete || !IsRedirect(response.status) || response.location.empty()) break;
        if (redirects == kMaxRedirects) {
            throw ESockError("The server " + target.host + " redirected the download more than " +
                             std::to_string(kMaxRedirects) + " times; it was given up.");
        }
        // A cookie marked Secure that came in the clear may have been forged on the way.
        const bool secureCookie = IsSecureCookie(response.cookie);
        if (!CookiePair(response.cookie).empty() && (target.secure || !secureCookie)) {
            headerInfo_.Cookie = CookiePair(response.cookie);
            cookieHost_ = target.host;
            cookieSecure_ = secureCookie;
        }
        current = ResolveLocation(current, response.location);
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
        // Only a successful answer's body is kept; a redirect's or an error's is left unread.
        if (response.complete && IsSuccess(response.status)) {
            BodyOutput body(inputFileMode_, body_);
            if (ReadBody(response, body)) body.Keep();
        }
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
    if (!line.ends_with('\n')) {
        FailUnlessStopped();
        return response;
    }
    response.status = StatusFromLine(line);
    if (response.status == 0) throw ESockError("The server " + Host() + " sent a reply that is not HTTP.");
    for (;;) {
        line = ReadLn();
        header.Append(line);
        if (!line.ends_with('\n')) {
            FailUnlessStopped();
            return response;
        }
        if (EndsHeader(line)) break;
        ExamineHeaderLine(line, response);
    }
    // Transfer-Encoding overrides Content-Length.
    if (response.transferCodings.empty() && !response.badContentLength)
        contentLength_ = response.contentLength.value_or(0);
    response.complete = true;
    return response;
}

bool THttpClient::ReadBody(const ResponseFields& response, BodyOutput& body) {
    if (!response.transferCodings.empty()) {
        if (response.transferCodings != std::vector<std::string>{"chunked"}) {
            throw ESockError("The server " + Host() + " sent the download in a transfer coding that this program cannot read (" +
                             Joined(response.transferCodings) + ").");
        }
        return ReadChunked(body);
    }
    if (response.badContentLength)
        throw ESockError("The server " + Host() + " gave a length for the download that is not a number.");
    if (response.contentLength) return ReadLength(*response.contentLength, body);
    return ReadToTheEnd(body);
}

bool THttpClient::ReadLength(int64_t length, BodyOutput& body) {
    if (ReadUpTo(length, body)) return true;
    if (!Stopped()) {
        throw ESockError("The server " + Host() + " ended the download after " + std::to_string(receivedBytes_) + " of " +
                         std::to_string(length) + " bytes.");
    }
    return false;
}

bool THttpClient::ReadChunked(BodyOutput& body) {
    const auto damaged = [this] { return ESockError("The server " + Host() + " sent a chunked answer that cannot be read."); };
    for (;;) {
        const std::string sizeLine = ReadLn();
        if (!sizeLine.ends_with('\n')) {
            FailUnlessStopped();
            return false;
        }
        const std::optional<int64_t> size = ChunkSize(sizeLine);
        if (!size) throw damaged();
        if (*size == 0) break;
        if (!ReadUpTo(*size, body)) {
            FailUnlessStopped();
            return false;
        }
        const std::string end = ReadLn();
        if (!end.ends_with('\n')) {
            FailUnlessStopped();
            return false;
        }
        if (!EndsHeader(end)) throw damaged();
    }
    // The trailer fields say nothing the client uses; the body is whole
    // even when the connection ends among them.
    for (std::string line = ReadLn(); line.ends_with('\n') && !EndsHeader(line); line = ReadLn()) {
    }
    return !Stopped();
}

bool THttpClient::ReadToTheEnd(BodyOutput& body) {
    if (!ReadUpTo(INT64_MAX, body) && Stopped()) return false;
    // Without a length, only the server's own end of the secure connection
    // tells a whole body from one cut short on the way.
    if (CutOff()) {
        throw ESockError("The secure connection to " + Host() +
                         " was cut off before the server ended it; the download may be incomplete.");
    }
    return true;
}

bool THttpClient::ReadUpTo(int64_t length, BodyOutput& body) {
    RestartTimer();
    while (length > 0) {
        const auto most = static_cast<std::size_t>(std::min<int64_t>(length, kBufferSize));
        const std::string_view block = ReceiveBlock(most);
        if (!block.empty()) {
            length -= static_cast<int64_t>(block.size());
            Take(block, body);
            continue;
        }
        if (!Connected()) return false;
        if (Cancelled()) throw StoppedAnswering();
    }
    return true;
}

void THttpClient::Take(std::string_view block, BodyOutput& body) {
    body.Append(block);
    receivedBytes_ += static_cast<int64_t>(block.size());
    if (OnPacketRecvd) OnPacketRecvd(*this);
    RestartTimer();
    ProcessMessages();
}

void THttpClient::FailUnlessStopped() const {
    if (!Stopped()) throw ESockError("The server " + Host() + " closed the connection before its answer was complete.");
}

}  // namespace quillane
