// Arbitrary bytes as the server's answers to the download client. A peer on
// 127.0.0.1 (one thread, for the whole run) answers the client's connections
// one after the other with the parts of the input separated by "\xfe\xfe",
// then closes; connections beyond the last part are closed at once. The client
// reaches the peer as its proxy, so that redirects to any server name come back
// here and never look a name up. The first input byte chooses:
//   bits 0-5  how many bytes each send of the peer carries (0: the whole part)
//   bit 6     the body goes to a file (InputFileMode)
//   bit 7     the header goes to a file (OutputFileMode)
#include "FuzzCheck.h"
#include "HttpClient.h"
#include "HttpResponse.h"
#include "SockErrors.h"

#include <algorithm>
#include <cctype>
#include <arpa/inet.h>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace quillane;

constexpr const char kSeparator[] = "\xfe\xfe";
// A request head the client sends is below this; more is a fault of its own.
constexpr std::size_t kMaxRequest = 70000;

// What the peer did on one connection.
struct Served {
    std::string request;  // the request head as received, blank line included
    std::string answer;   // the part it was to send
    std::size_t sent = 0; // how much of it went out before the client went away
};

class Peer {
public:
    Peer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 64) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            __builtin_trap();
        port_ = ntohs(address.sin_port);
        std::thread([this] { Serve(); }).detach();
    }

    int Port() const { return port_; }

    void Begin(std::vector<std::string> answers, std::size_t slice) {
        std::lock_guard lock(mutex_);
        answers_ = std::move(answers);
        slice_ = slice;
        served_.clear();
    }

    // Waits until every connection accepted so far has been closed by the peer.
    std::vector<Served> End() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return !busy_; });
        answers_.clear();
        return std::move(served_);
    }

private:
    void Serve() {
        for (;;) {
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            std::size_t index = 0;
            std::string answer;
            std::size_t slice = 0;
            {
                std::lock_guard lock(mutex_);
                busy_ = true;
                index = served_.size();
                if (index < answers_.size()) answer = answers_[index];
                slice = slice_;
                served_.push_back({});
            }
            Served served = Answer(connection, answer, slice);
            {
                std::lock_guard lock(mutex_);
                if (index < served_.size()) served_[index] = std::move(served);
                busy_ = false;
            }
            idle_.notify_all();
        }
    }

    // Reads the request head, sends the part and closes once the client has read it all.
    static Served Answer(int connection, const std::string& answer, std::size_t slice) {
        Served served;
        served.answer = answer;
        const int on = 1;
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        char buffer[4096];
        while (served.request.find("\r\n\r\n") == std::string::npos && served.request.size() < kMaxRequest) {
            if (!WaitReadable(connection)) break;
            const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            served.request.append(buffer, static_cast<std::size_t>(got));
        }
        const std::size_t step = slice ? slice : std::max<std::size_t>(answer.size(), 1);
        while (served.sent < answer.size()) {
            const ssize_t sent = ::send(connection, answer.data() + served.sent,
                                        std::min(step, answer.size() - served.sent), MSG_NOSIGNAL);
            if (sent <= 0) break;
            served.sent += static_cast<std::size_t>(sent);
        }
        ::shutdown(connection, SHUT_WR);
        // The client closes after reading to the end; until then, unread bytes would turn the close into a reset.
        while (WaitReadable(connection) && ::recv(connection, buffer, sizeof buffer, 0) > 0) {
        }
        // Nothing is left to deliver: close without lingering in TIME_WAIT, so that ports do not run out.
        const linger abort{1, 0};
        ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(connection);
        return served;
    }

    static bool WaitReadable(int connection) {
        pollfd entry{connection, POLLIN, 0};
        return ::poll(&entry, 1, 5000) > 0;
    }

    int listener_ = -1;
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable idle_;
    bool busy_ = false;
    std::vector<std::string> answers_;
    std::size_t slice_ = 0;
    std::vector<Served> served_;
};

std::vector<std::string> SplitAnswers(const std::string& input) {
    std::vector<std::string> answers;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = input.find(kSeparator, start);
        answers.push_back(input.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return answers;
        start = at + 2;
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The client's request must be a clean HTTP head whatever the answers said:
// "GET ", lines ended by CR LF, and no other CR, LF or NUL anywhere.
void CheckRequest(const std::string& request) {
    if (request.empty()) return;  // the client gave up before sending
    Check(request.size() < kMaxRequest);
    Check(request.rfind("GET ", 0) == 0);
    const std::size_t end = request.find("\r\n\r\n");
    Check(end != std::string::npos && end + 4 == request.size());
    for (std::size_t i = 0; i < request.size(); ++i) {
        const char c = request[i];
        if (c == '\r') Check(i + 1 < request.size() && request[i + 1] == '\n');
        if (c == '\n') Check(i > 0 && request[i - 1] == '\r');
        Check(c != '\0');
    }
}

constexpr const char kEarlierBody[] = "the body of an earlier download";

// Writing the header or the body failed.
bool IsFileError(const std::string& what) { return what.rfind("Cannot ", 0) == 0; }

bool HasTransferEncoding(std::string header) {
    std::transform(header.begin(), header.end(), header.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return header.find("transfer-encoding") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static Peer& peer = *new Peer;  // serves until the process ends
    const std::size_t slice = data[0] & 0x3f;
    const bool bodyToFile = data[0] & 0x40;
    const bool headerToFile = data[0] & 0x80;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string> answers = SplitAnswers(input);

    THttpClient client;
    client.SetTimeOut(3000);
    client.SetProxy("127.0.0.1");
    client.SetProxyPort(peer.Port());
    static const std::string files = [] {
        static const std::string path = "/tmp/quillane-fuzz-response-" + std::to_string(getpid());
        std::atexit([] {
            std::remove((path + ".body").c_str());
            std::remove((path + ".head").c_str());
        });
        return path;
    }();
    client.SetInputFileMode(bodyToFile);
    // The body as it was before: a file from an earlier download, or a text of the owner's.
    if (bodyToFile) {
        client.SetBody(files + ".body");
        std::ofstream(client.Body(), std::ios::binary | std::ios::trunc) << kEarlierBody;
    } else {
        client.SetBody(kEarlierBody);
    }
    client.SetOutputFileMode(headerToFile);
    if (headerToFile) client.SetHeader(files + ".head");

    peer.Begin(answers, slice);
    bool completed = false;
    try {
        client.Get("http://quillane.example/packs/faces.QZK");
        completed = true;
    } catch (const EAbortError&) {
        // Only the time-out cancels here, and every answer ends with a close: a hang.
        Check(false);
    } catch (const ESockError&) {
    } catch (const std::runtime_error& error) {
        Check(IsFileError(error.what()));
    }
    const std::vector<Served> served = peer.End();
    Check(!client.Connected());
    for (const Served& connection : served) CheckRequest(connection.request);

    const std::string header = headerToFile ? ReadWholeFile(client.Header()) : client.Header();
    std::size_t sentInAll = 0;
    for (const Served& connection : served) sentInAll += connection.sent;
    Check(header.size() <= sentInAll);
    Check(client.ContentLength() >= 0);
    const std::string body = bodyToFile ? ReadWholeFile(client.Body()) : client.Body();
    // Only the whole body of a successful answer replaces the earlier one.
    const bool success = client.StatusCode() >= 200 && client.StatusCode() <= 299;
    if (!completed || !success) {
        Check(body == kEarlierBody);
        return 0;
    }

    // One Get makes the first request and follows at most kMaxRedirects redirects.
    Check(!served.empty() && served.size() <= THttpClient::kMaxRedirects + 1);
    const std::string received = served.back().answer.substr(0, served.back().sent);
    Check(client.ReceivedBytes() == static_cast<std::int64_t>(body.size()));
    Check(header.size() + body.size() <= sentInAll);
    if (client.ContentLength() > 0) Check(client.ContentLength() == client.ReceivedBytes());
    // Unless chunks were decoded, the body is bytes of the final answer, as they came.
    if (!HasTransferEncoding(header)) Check(received.find(body) != std::string::npos);
    const std::size_t feed = received.find('\n');
    const std::string statusLine = received.substr(0, feed == std::string::npos ? feed : feed + 1);
    Check(client.StatusCode() == StatusFromLine(statusLine));
    return 0;
}
