#include "HttpClient.h"

#include "HttpRequest.h"
#include "HttpResponse.h"
#include "HttpUrl.h"
#include "TransferOutput.h"
#include "WinSockErrors.h"

#include <algorithm>
#include <cctype>

namespace quillane {

namespace {

// The request header goes out in one write of at most this many bytes.
constexpr std::size_t kMaxRequestLines = 65535;

bool IsRedirect(int status) { return status >= 300 && status <= 302; }

// The "name=value" of a Set-Cookie value: its attributes (path, expiry, domain)
// are for the client, never sent back.
std::string CookiePair(const std::string& setCookie) {
    std::string pair = setCookie.substr(0, setCookie.find(';'));
    const auto first = pair.find_first_not_of(' ');
    const auto last = pair.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : pair.substr(first, last - first + 1);
}

bool SameHost(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

std::string THttpClient::ServerUrl() const {
    const std::string server = "http://" + Host();
    return Port() == 80 ? server : server + ":" + std::to_string(Port());
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
    TransferOutput header;
    header.Open(outputFileMode_, header_);
    std::string current = url;
    for (int repeats = 0;; ++repeats) {
        std::string host = Host();
        int port = Port();
        const std::string path = ParseUrl(current, host, port);
        SetHost(host);
        SetPort(port);

        // A cookie the client received goes back only to the host that set it.
        const bool sendCookie = cookieHost_.empty() || SameHost(cookieHost_, host);
        const ResponseFields response =
            Transact({path, current, host, sendCookie ? headerInfo_.Cookie : std::string(), !proxy_.empty()}, header);
        statusCode_ = response.complete ? response.status : 0;
        const int status = response.status;
        // After Disconnect the answer so far is all there is; a redirect
        // without a target has nowhere to lead.
        if (Stopped() || (IsRedirect(status) && response.location.empty())) break;
        if (IsRedirect(status)) current = response.location;
        if (status >= 300 && status <= 398) {
            if (!CookiePair(response.cookie).empty()) {
                headerInfo_.Cookie = CookiePair(response.cookie);
                cookieHost_ = host;
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
        if (lines.size() > kMaxRequestLines) throw ESockError(WinSockErrorMessage(10040), 10040);
        if (proxy_.empty()) Connect(Host(), Port());
        else Connect(proxy_, proxyPort_);
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
