// What a hostile or careless local client cannot do to the server: hold a worker on
// a named pipe, grow its memory with an endless head, hold a worker with a trickled
// head or with an answer it stops reading, or make it start a thread per connection;
// switching off stays quick.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "ListeningSocket.h"
#include "LoopbackServer.h"

namespace quillane {
namespace {

using namespace std::chrono_literals;
using testing::TTestClient;

class ServerLimits : public testing::LoopbackServer {
protected:
    // Switches the server off and tells how long that took.
    std::chrono::steady_clock::duration SwitchOffTime() {
        const auto start = std::chrono::steady_clock::now();
        server->SetActive(false);
        return std::chrono::steady_clock::now() - start;
    }
};

TEST_F(ServerLimits, NamedPipeIsAnsweredAtOnceLikeAFolder) {
    const std::string pipe = folder.File("pipe.cab");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    TTestClient client(port);
    client.Send("GET /pipe.cab HTTP/1.0\r\n\r\n");
    const std::string answer = client.ReadAll(3s);
    EXPECT_FALSE(client.timedOut);
    EXPECT_EQ(answer.find("HTTP/1.1 500 Cannot open file " + pipe + "\r\n"), 0u) << answer;
    // Asking for the head only gets the same answer: the file is opened in every case.
    const std::string head = Exchange("HEAD /pipe.cab HTTP/1.0\r\n\r\n");
    EXPECT_EQ(head.find("HTTP/1.1 500 Cannot open file " + pipe + "\r\n"), 0u) << head;
    EXPECT_LT(SwitchOffTime(), 1s);
}

TEST_F(ServerLimits, HeadBeyondSixtyFourKibibytesGetsTheBadRequestPage) {
    AddFile("a.txt", "abc");
    std::string head = "GET /a.txt HTTP/1.0\r\n";
    while (head.size() < 60 * 1024) head += "X-Filler: " + std::string(100, 'f') + "\r\n";
    // Just below the bound the request is served.
    EXPECT_NE(Exchange(head + "\r\n").find("\r\n\r\nabc"), std::string::npos);

    TTestClient client(port);
    // The request line goes first; only then do the header lines pour in.
    client.Send("GET /a.txt HTTP/1.0\r\n");
    std::thread sender([&] {
        // The client sends far more than the bound; the server stops reading it early.
        try {
            for (int i = 0; i < 4000; ++i) client.Send("X-Filler: " + std::string(1000, 'f') + "\r\n");
        } catch (const std::exception&) {
            // The server closed the connection after answering.
        }
    });
    const std::string answer = client.ReadAll(10s);
    sender.join();
    EXPECT_EQ(answer.find("HTTP/1.1 400 "), 0u) << answer.substr(0, 200);
    EXPECT_LT(SwitchOffTime(), 1s);
}

TEST_F(ServerLimits, TrickledHeadEndsAtTheReadTimeOut) {
    server->SetActive(false);
    server->SetReadTimeout(1500ms);
    server->SetActive(true);
    port = server->Port();
    AddFile("a.txt", "abc");
    TTestClient client(port);
    std::atomic<bool> answered = false;
    // One byte every 100 ms, each well inside the time-out, for longer than it.
    std::thread trickle([&] {
        const std::string head = "GET /a.txt HTTP/1.0\r\nX-Slow: ";
        try {
            for (std::size_t i = 0; i < 40 && !answered; ++i) {
                client.Send(i < head.size() ? head.substr(i, 1) : "s");
                std::this_thread::sleep_for(100ms);
            }
        } catch (const std::exception&) {
            // The server has closed the connection.
        }
    });
    const auto start = std::chrono::steady_clock::now();
    const std::string answer = client.ReadAll(5s);
    const auto waited = std::chrono::steady_clock::now() - start;
    answered = true;
    trickle.join();
    // The head ends where the time ran out, and what came of it is answered.
    EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << answer;
    EXPECT_GE(waited, 1400ms);
    EXPECT_LT(waited, 2500ms);
    EXPECT_LT(SwitchOffTime(), 1s);
}

// A large file goes out in many sends; the time-out counts from the last byte the client
// took, not anew for each send.
TEST_F(ServerLimits, ClientsThatStopReadingHoldTheirWorkersForOneTimeOut) {
    constexpr auto timeout = 4s;
    server->SetActive(false);
    server->SetReadTimeout(timeout);
    server->SetActive(true);
    port = server->Port();
    AddFile("big.bin", std::string(16 * 1024 * 1024, 'b'));
    AddFile("a.txt", "abc");
    const auto start = std::chrono::steady_clock::now();
    // More of them than there are workers; none reads a byte of its answer.
    std::vector<std::unique_ptr<TTestClient>> stalled;
    for (std::size_t i = 0; i < TWebListeningSocket::MaxWorkers + 6; ++i) {
        stalled.push_back(std::make_unique<TTestClient>(port, 4096));
        stalled.back()->Send("GET /big.bin HTTP/1.0\r\n\r\n");
    }
    TTestClient waiting(port);
    waiting.Send("GET /a.txt HTTP/1.0\r\n\r\n");
    const std::string answer = waiting.ReadAll(3 * timeout);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(answer.ends_with("\r\n\r\nabc")) << answer;
    EXPECT_LT(waited, timeout + 2s);
    EXPECT_LT(SwitchOffTime(), 1s);
}

TEST_F(ServerLimits, ConnectionsBeyondTheWorkersWaitInTheQueue) {
    AddFile("a.txt", "abc");
    const std::size_t limit = TWebListeningSocket::MaxWorkers;
    std::vector<std::unique_ptr<TTestClient>> idle;
    for (std::size_t i = 0; i < limit + 36; ++i) idle.push_back(std::make_unique<TTestClient>(port));
    ASSERT_TRUE(testing::WaitFor([&] { return server->ListeningSocket().WorkerCount() == limit; }));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(server->ListeningSocket().WorkerCount(), limit);
    EXPECT_LE(testing::ThreadCount(), baselineThreads + limit + 2);

    // A waiting connection is served as soon as a worker is free.
    TTestClient waiting(port);
    waiting.Send("GET /a.txt HTTP/1.0\r\n\r\n");
    for (std::size_t i = 0; i < 37; ++i) idle[i]->Send("GET /a.txt HTTP/1.0\r\n\r\n");
    EXPECT_NE(waiting.ReadAll(5s).find("\r\n\r\nabc"), std::string::npos);
    EXPECT_LT(SwitchOffTime(), 1s);
    EXPECT_EQ(testing::SettledCount(testing::ThreadCount, baselineThreads), baselineThreads);
}

}  // namespace
}  // namespace quillane
