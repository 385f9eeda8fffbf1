#include "ClientFixture.h"
#include "ScriptedServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>

using namespace quillane;
using namespace quillane::testing;
using namespace std::chrono_literals;

namespace {

using Disconnecting = ClientTest;
using TimingOut = ClientTest;

// A listener whose accept queue is full: a new connection attempt stays
// pending (the kernel drops its handshake), as with an unreachable server.
class FullListener {
public:
    FullListener() {
        listener_ = Socket();
        sockaddr_in address = Loopback(0);
        ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        ::listen(listener_.get(), 0);
        for (UniqueFd& filler : fillers_) {
            filler = Socket();
            const sockaddr_in target = Loopback(port_);
            ::connect(filler.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target);
        }
        std::this_thread::sleep_for(50ms);
    }
    int Port() const { return port_; }

private:
    static UniqueFd Socket() { return UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)); }
    static sockaddr_in Loopback(int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        return address;
    }

    UniqueFd listener_;
    UniqueFd fillers_[3];
    int port_ = 0;
};

std::string SockErrorOf(THttpClient& client, const std::string& url) {
    try {
        client.Get(url);
    } catch (const EAbortError& error) {
        return "EAbortError " + std::string(error.what());
    } catch (const ESockError& error) {
        return "ESockError " + std::string(error.what());
    }
    return "no exception";
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

TEST_F(Disconnecting, FromOnPacketRecvdLeavesTheFileAsItWas) {
    PutEarlierDownload();
    const std::string first(1000, 'a');
    ScriptedServer server({[&](ServerConnection& connection) {
        connection.ReadRequest();
        connection.Send(Answer("200 OK", "Content-Length: 2000000\r\n", first));
        connection.Stall();
        connection.Send(std::string(1999000, 'z'));
    }});
    int packets = 0;
    client.OnPacketRecvd = [&](THttpClient& sender) {
        ++packets;
        sender.Disconnect();
    };
    client.Get(server.Url("/pack.qzk"));
    EXPECT_EQ(packets, 1);
    ASSERT_GT(client.ReceivedBytes(), 0);
    ASSERT_LE(client.ReceivedBytes(), 1000);
    EXPECT_EQ(Downloaded(), kEarlier);
    EXPECT_EQ(client.ContentLength(), 2000000);
    EXPECT_EQ(client.StatusCode(), 200);
    EXPECT_FALSE(client.Connected());
}

TEST_F(Disconnecting, DuringTheLookupEndsGetWithoutConnecting) {
    ScriptedServer server({Reply(Answer("200 OK", "", "never"))});
    int pumps = 0;
    client.Pump = [&] {
        if (++pumps == 1) client.Disconnect();
    };
    EXPECT_EQ(SockErrorOf(client, "http://localhost:" + std::to_string(server.Port()) + "/a"),
              "ESockError Host Lookup Canceled");
    EXPECT_EQ(pumps, 1);
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_FALSE(std::filesystem::exists(BodyFile()));
}

TEST_F(Disconnecting, WhileConnectingEndsGet) {
    FullListener listener;
    int pumps = 0;
    client.Pump = [&] {
        if (++pumps == 3) client.Disconnect();
    };
    EXPECT_EQ(SockErrorOf(client, "http://127.0.0.1:" + std::to_string(listener.Port()) + "/a"),
              "ESockError Connection Canceled");
    EXPECT_EQ(pumps, 3);
    EXPECT_FALSE(client.Connected());
}

TEST_F(Disconnecting, WhileWaitingForTheHeaderEndsGetNormally) {
    ScriptedServer server({[](ServerConnection& connection) {
        connection.ReadRequest();
        connection.Send("HTTP/1.0 301 Moved\r\nLocation: /next\r\n");
        connection.Stall();
    }});
    int pumps = 0;
    client.Pump = [&] {
        if (++pumps == 20) client.Disconnect();
    };
    client.Get(server.Url("/wait"));
    EXPECT_GE(pumps, 20);
    EXPECT_EQ(client.StatusCode(), 0);
    EXPECT_EQ(client.Header(), "HTTP/1.0 301 Moved\r\nLocation: /next\r\n");
    // No second request: the redirect is not followed after a Disconnect.
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_FALSE(std::filesystem::exists(BodyFile()));
}

TEST_F(TimingOut, AStalledServerEndsTheHeaderReadWithoutBusyWaiting) {
    ScriptedServer server({Stall()});
    client.SetTimeOut(300);
    int pumps = 0;
    client.Pump = [&] { ++pumps; };
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuSeconds();
    EXPECT_EQ(SockErrorOf(client, server.Url("/stall")), "EAbortError The server stopped answering.");
    const double cpu = ThreadCpuSeconds() - cpuStart;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);

    EXPECT_GE(elapsed.count(), 300);
    EXPECT_LT(elapsed.count(), 3000);
    // Waiting blocks on the socket in steps of a few milliseconds: the pump
    // runs at most once a millisecond and the waiting costs little processor time.
    EXPECT_GE(pumps, 10);
    EXPECT_LE(pumps, elapsed.count());
    EXPECT_LT(cpu, 0.25 * static_cast<double>(elapsed.count()) / 1000.0);
    EXPECT_FALSE(client.Connected());
}

TEST_F(TimingOut, AStalledBodyFailsAndLeavesTheFileAsItWas) {
    PutEarlierDownload();
    ScriptedServer server({[](ServerConnection& connection) {
        connection.ReadRequest();
        connection.Send(Answer("200 OK", "", "0123456789"));
        connection.Stall();
    }});
    client.SetTimeOut(200);
    EXPECT_EQ(SockErrorOf(client, server.Url("/body")), "EAbortError The server stopped answering.");
    EXPECT_EQ(Downloaded(), kEarlier);
    EXPECT_FALSE(client.Connected());
}

TEST_F(TimingOut, TheTimeOutCountsFromTheLastBlock) {
    ScriptedServer server({[](ServerConnection& connection) {
        connection.ReadRequest();
        connection.Send(Answer("200 OK", "", "start"));
        for (int i = 0; i < 5; ++i) {
            std::this_thread::sleep_for(100ms);
            connection.Send("+");
        }
    }});
    // Half a second in all, but never more than a tenth without data.
    client.SetTimeOut(400);
    client.Get(server.Url("/slow"));
    EXPECT_EQ(Downloaded(), "start+++++");
}

TEST(TimeOutDefault, IsThirtySecondsWithoutProgress) {
    EXPECT_EQ(THttpClient().TimeOut(), 30000);
}

TEST_F(TimingOut, AConnectionThatIsNeverEstablished) {
    FullListener listener;
    client.SetTimeOut(150);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SockErrorOf(client, "http://127.0.0.1:" + std::to_string(listener.Port()) + "/a"),
              "ESockError Connection Timed out");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
}

TEST_F(TimingOut, ALookupThatTakesTooLong) {
    ScriptedServer server({Reply(Answer("200 OK", "", "never"))});
    client.SetTimeOut(1);
    // The owner's events take longer than the whole time-out.
    client.Pump = [] { std::this_thread::sleep_for(5ms); };
    EXPECT_EQ(SockErrorOf(client, "http://localhost:" + std::to_string(server.Port()) + "/a"),
              "ESockError Host Lookup Timed Out");
    EXPECT_EQ(server.Connections(), 0);
}

// Runs in a child process: with no descriptors left, creating a client must fail cleanly.
[[noreturn]] void CreateClientWithoutDescriptors() {
    // One client and one failure first, while descriptors are there: the
    // undefined-behaviour sanitizer checks each type once, and that check
    // needs descriptors itself.
    {
        THttpClient first;
        try {
            first.Get("/no-server");
        } catch (const ESockError& error) {
            if (error.Code() != 0) _exit(6);
        }
    }
    const rlimit none{0, 0};
    setrlimit(RLIMIT_NOFILE, &none);
    try {
        THttpClient client;
    } catch (const ESockError& error) {
        _exit(std::string(error.what()) == "Initializaton of windows sockets failed" ? 3 : 4);
    }
    _exit(5);
}

TEST(SocketSetUp, WithoutAnySocketTheClientCannotBeCreated) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CreateClientWithoutDescriptors(), ::testing::ExitedWithCode(3), "");
}
