// Clients of the local server that misbehave as real ones do: a request that
// trickles in a byte at a time, and a client that leaves in the middle of a
// large file. Others are served meanwhile, and nothing is left behind.
#include "ContentInstallJob.h"
#include "ContentStore.h"
#include "LoopbackServer.h"
#include "PackFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <netinet/tcp.h>
#include <poll.h>
#include <chrono>
#include <future>
#include <thread>

using namespace quillane;
using namespace quillane::testing;
using namespace std::chrono_literals;

namespace {

// The bytes of a request sent one at a time with a pause after each; what
// came back; and where in the request the answer began to arrive.
struct Trickled {
    std::string answer;
    std::size_t answeredAfter = 0;  // bytes of the request sent when the first answer byte was there
    std::string sendError;
};

// A client's connection to the server, with a receive buffer of that size when
// one is given; invalid when it cannot be made.
UniqueFd ConnectTo(int port, int receiveBuffer = 0) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (receiveBuffer > 0) ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return UniqueFd();
    return fd;
}

Trickled TrickleRequest(int port, const std::string& request, std::size_t from, std::chrono::milliseconds pause) {
    Trickled result;
    UniqueFd fd = ConnectTo(port);
    if (!fd) {
        result.sendError = "cannot connect";
        return result;
    }
    const int one = 1;
    ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    result.answeredAfter = request.size();
    for (std::size_t i = 0; i < request.size();) {
        const std::size_t piece = i < from ? from : 1;
        if (::send(fd.get(), request.data() + i, piece, MSG_NOSIGNAL) != static_cast<ssize_t>(piece)) {
            result.sendError = std::strerror(errno);
            break;
        }
        i += piece;
        if (i == request.size()) break;
        std::this_thread::sleep_for(pause);
        pollfd entry{fd.get(), POLLIN, 0};
        if (::poll(&entry, 1, 0) > 0 && result.answeredAfter == request.size()) result.answeredAfter = i;
    }
    char buffer[4096];
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < until) {
        pollfd entry{fd.get(), POLLIN, 0};
        if (::poll(&entry, 1, 1000) <= 0) continue;
        const ssize_t got = ::recv(fd.get(), buffer, sizeof buffer, 0);
        if (got <= 0) break;
        result.answer.append(buffer, static_cast<std::size_t>(got));
    }
    return result;
}

class ServerClients : public LoopbackServer {
protected:
    // Other clients on a thread of their own, until it is ended (always, also when a check throws).
    class Others {
    public:
        explicit Others(ServerClients& test) : thread_([this, &test] { test.ServeOthersUntil(stop_); }) {}
        ~Others() { End(); }
        void End() {
            stop_ = true;
            if (thread_.joinable()) thread_.join();
        }

    private:
        std::atomic<bool> stop_{false};
        std::thread thread_;
    };

    // Fetches a.txt again and again until told to stop; counts the answers and
    // keeps the slowest one's time.
    void ServeOthersUntil(const std::atomic<bool>& stop) {
        while (!stop) {
            const auto start = std::chrono::steady_clock::now();
            std::string answer;
            try {
                answer = Exchange("GET /a.txt HTTP/1.0\r\n\r\n");
            } catch (const std::exception&) {
                // Counted as a wrong answer below.
            }
            const auto took = std::chrono::steady_clock::now() - start;
            slowest = std::max(slowest, std::chrono::duration_cast<std::chrono::milliseconds>(took));
            if (answer.find("HTTP/1.1 200 OK\r\n") == 0 && answer.ends_with("\r\n\r\nabc")) ++answered;
            else ++wrong;
            std::this_thread::sleep_for(20ms);
        }
    }

    int answered = 0;
    int wrong = 0;
    std::chrono::milliseconds slowest{0};
};

// A line end arriving in a packet of its own once passed for the blank line that
// ends the head: the answer began early and the client's next byte met a closed
// socket, whose reset destroyed the answer.
TEST_F(ServerClients, ARequestSentAByteEvery200msIsAnsweredWhileOthersAreServed) {
    AddFile("a.txt", "abc");
    AddFile("slow.txt", "the slow client's file");
    // The whole head arrives within the read time-out, which bounds it as a whole.
    server->SetActive(false);
    server->SetReadTimeout(8s);
    server->SetActive(true);
    port = server->Port();
    const std::string request = "GET /slow.txt HTTP/1.0\r\n\r\n";
    Others others(*this);
    const auto start = std::chrono::steady_clock::now();
    const Trickled trickled = TrickleRequest(port, request, 1, 200ms);
    const std::string& answer = trickled.answer;
    EXPECT_EQ(trickled.answeredAfter, request.size()) << "the answer began before the request was complete";
    EXPECT_EQ(trickled.sendError, "");
    const auto took = std::chrono::steady_clock::now() - start;
    others.End();
    EXPECT_GT(took, 200ms * (request.size() - 1));
    EXPECT_EQ(answer.find("HTTP/1.1 200 OK\r\n"), 0u) << answer;
    EXPECT_NE(answer.find("Content-Length: 22\r\n"), std::string::npos) << answer;
    EXPECT_TRUE(answer.ends_with("\r\n\r\nthe slow client's file")) << answer;
    EXPECT_GT(answered, 20) << "others were not served meanwhile";
    EXPECT_EQ(wrong, 0);
    EXPECT_LT(slowest, 1000ms) << "another client waited for the slow one";
}

TEST_F(ServerClients, TheEndOfARequestAtOneBytePerSecondIsStillAnswered) {
    AddFile("a.txt", "abc");
    AddFile("b.txt", "bee");
    Others others(*this);
    const std::string request = "GET /b.txt HTTP/1.0\r\n\r\n";
    // The header's last four bytes, a second apart.
    const Trickled trickled = TrickleRequest(port, request, request.size() - 4, 1000ms);
    const std::string& answer = trickled.answer;
    EXPECT_EQ(trickled.answeredAfter, request.size()) << "the answer began before the request was complete";
    EXPECT_EQ(trickled.sendError, "");
    others.End();
    EXPECT_EQ(answer.find("HTTP/1.1 200 OK\r\n"), 0u) << answer;
    EXPECT_TRUE(answer.ends_with("\r\n\r\nbee")) << answer;
    EXPECT_GT(answered, 20);
    EXPECT_EQ(wrong, 0);
    EXPECT_LT(slowest, 1000ms);
}

TEST_F(ServerClients, AClientLeavingInTheMiddleOfALargeFileHarmsNoOneAndLeaksNothing) {
    AddFile("a.txt", "abc");
    std::string big(24 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
    AddFile("big.bin", big);
    Others others(*this);
    for (int i = 0; i < 3; ++i) {
        // The first mebibyte of the body has arrived when the client goes.
        UniqueFd fd = ConnectTo(port);
        ASSERT_TRUE(fd);
        const std::string request = "GET /big.bin HTTP/1.0\r\n\r\n";
        ASSERT_EQ(::send(fd.get(), request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
        std::string part;
        char buffer[65536];
        while (part.size() < 1024 * 1024) {
            const ssize_t got = ::recv(fd.get(), buffer, sizeof buffer, 0);
            ASSERT_GT(got, 0);
            part.append(buffer, static_cast<std::size_t>(got));
        }
        EXPECT_EQ(part.find("HTTP/1.1 200 OK\r\n"), 0u);
        if (i % 2 == 0) {
            const linger abort{1, 0};
            ::setsockopt(fd.get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        // Closing with unread data resets the connection in either case.
    }
    std::this_thread::sleep_for(300ms);
    others.End();
    EXPECT_GT(answered, 5);
    EXPECT_EQ(wrong, 0);
    EXPECT_LT(slowest, 1000ms);

    // Each departure was logged as a failed send, once.
    const auto sendErrors = [&] {
        std::size_t count = 0;
        for (const auto& entry : Entries())
            if (const auto* error = dynamic_cast<const TErrorTransaction*>(entry.get())) count += error->Kind == 1;
        return count;
    };
    EXPECT_TRUE(WaitFor([&] { return sendErrors() >= 3; })) << sendErrors() << " send errors logged";
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sendErrors(), 3u);

    // A complete copy still goes out, and the file on disk is as it was.
    const std::string answer = Exchange("GET /big.bin HTTP/1.0\r\n\r\n");
    const std::size_t body = answer.find("\r\n\r\n");
    ASSERT_NE(body, std::string::npos);
    EXPECT_TRUE(answer.compare(body + 4, std::string::npos, big) == 0);
    EXPECT_TRUE(ReadFile(folder.File("big.bin")) == big);

    server->SetActive(false);
    EXPECT_EQ(SettledCount(ThreadCount, baselineThreads), baselineThreads);
    EXPECT_EQ(SettledCount(OpenDescriptorCount, baselineDescriptors), baselineDescriptors);
}

// Clients that ask for a large file and never read it hold their workers only
// for the time-out, as clients that never send do: an install asked meanwhile
// still gets its pack.
TEST_F(ServerClients, SixtyFourClientsThatNeverReadStopNoInstall) {
    server->SetActive(false);
    server->SetReadTimeout(1500ms);
    server->SetActive(true);
    port = server->Port();
    AddFile("big.bin", std::string(16 * 1024 * 1024, 'b'));
    MakeEmoticonCabinet(folder.File("pack.cab"));
    std::vector<UniqueFd> stalled;
    for (int i = 0; i < 64; ++i) {
        UniqueFd fd = ConnectTo(port, 4096);
        ASSERT_TRUE(fd);
        const std::string request = "GET /big.bin HTTP/1.0\r\n\r\n";
        ASSERT_EQ(::send(fd.get(), request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
        stalled.push_back(std::move(fd));
    }
    std::this_thread::sleep_for(500ms);

    TempFolder storeFolder;
    TContentStore store(storeFolder.Folder());
    std::promise<TInstallResult> installed;
    TContentInstallJob job(store, "http://127.0.0.1:" + std::to_string(port) + "/pack.cab",
                           [&](TInstallResult result) { installed.set_value(result); });
    auto result = installed.get_future();
    // Well within the install's own time-out of a download that makes no progress.
    ASSERT_EQ(result.wait_for(15s), std::future_status::ready);
    EXPECT_EQ(result.get(), kInstalled);
    EXPECT_EQ(store.Packs().size(), 1u);
}

}  // namespace
