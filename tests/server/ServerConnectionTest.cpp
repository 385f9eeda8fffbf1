#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "ServerConnection.h"
#include "ServerErrors.h"
#include "ServerTestSupport.h"
#include "WebServer.h"

namespace quillane {
namespace {

// A real loopback TCP connection, the server end wrapped as a worker gets it.
class LoopbackConnection : public ::testing::Test {
protected:
    void SetUp() override {
        UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener.get(), 1), 0);
        ASSERT_EQ(::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
        client = std::make_unique<testing::TTestClient>(ntohs(address.sin_port));
        sockaddr_in peer{};
        length = sizeof peer;
        UniqueFd accepted(::accept4(listener.get(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK));
        connection = std::make_unique<TServerConnection>(std::move(accepted), peer, server.Log(), server.ReadTimeout());
    }
    std::vector<std::unique_ptr<TTransactionLogEntry>> Logged() {
        std::vector<std::unique_ptr<TTransactionLogEntry>> kept;
        server.LogHandler = [&](TServerLog&, std::unique_ptr<TTransactionLogEntry>& entry) { kept.push_back(std::move(entry)); };
        server.Log().DeliverPending();
        return kept;
    }

    TCustomWebServer server;
    std::unique_ptr<testing::TTestClient> client;
    std::unique_ptr<TServerConnection> connection;
};

TEST_F(LoopbackConnection, PeerAddressAndName) {
    const TServerConnection::TPeer peer = connection->Peer();
    EXPECT_EQ(peer.address, "127.0.0.1");
    // The name comes from the system's reverse lookup (loopback has one in
    // /etc/hosts), which may run after the connection has closed.
    connection->Close();
    EXPECT_FALSE(peer.lookUpHostName().empty());
}

TEST_F(LoopbackConnection, SendAndReceive) {
    EXPECT_TRUE(connection->SendAll("hello", 5));
    client->Send("reply");
    char buffer[16];
    EXPECT_EQ(connection->Receive(buffer, sizeof buffer, std::chrono::seconds(5)), 5u);
    EXPECT_EQ(std::string(buffer, 5), "reply");
    connection->Close();
    EXPECT_EQ(client->ReadAll(), "hello");
    EXPECT_FALSE(connection->SendAll("x", 1));
    EXPECT_TRUE(Logged().empty());
}

TEST_F(LoopbackConnection, ReceiveTimesOutWithNothing) {
    char buffer[16];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(connection->Receive(buffer, sizeof buffer, std::chrono::milliseconds(100)), 0u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
}

TEST_F(LoopbackConnection, ReceiveFromAResetPeerIsLoggedAndRaised) {
    client->Reset();
    char buffer[16];
    try {
        connection->Receive(buffer, sizeof buffer, std::chrono::seconds(5));
        FAIL() << "a reset connection reads as data";
    } catch (const ESocketError& error) {
        EXPECT_STREQ(error.what(), "Socket error: Connection reset by peer (10054), on API 'recv'");
    }
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    const auto& entry = dynamic_cast<const TErrorTransaction&>(*logged[0]);
    EXPECT_EQ(entry.Kind, 2);
    EXPECT_EQ(entry.Code, 10054);
    EXPECT_EQ(entry.Message, "Connection reset by peer");
    EXPECT_NE(entry.Text().find(" Receive Error: (10054)Connection reset by peer"), std::string::npos);
    // The connection has closed itself.
    EXPECT_FALSE(connection->SendAll("x", 1));
}

TEST_F(LoopbackConnection, SendToAResetPeerIsLoggedAndReturnsFalse) {
    client->Reset();
    const std::string block(65536, 'b');
    bool sent = true;
    for (int i = 0; i < 100 && sent; ++i) sent = connection->SendAll(block.data(), block.size());
    EXPECT_FALSE(sent);
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    const auto& entry = dynamic_cast<const TErrorTransaction&>(*logged[0]);
    EXPECT_EQ(entry.Kind, 1);
    EXPECT_EQ(entry.Code, 10054);
}

TEST_F(LoopbackConnection, InterruptedSendIsNoError) {
    connection->Interrupt();
    EXPECT_FALSE(connection->SendAll("x", 1));
    char buffer[4];
    EXPECT_EQ(connection->Receive(buffer, sizeof buffer, std::chrono::seconds(5)), 0u);
    EXPECT_TRUE(Logged().empty());
}

TEST_F(LoopbackConnection, UnreadInputIsDrainedSoTheAnswerSurvives) {
    client->Send(std::string(50000, 'x'));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(connection->SendAll("answer", 6));
    connection->Close();
    EXPECT_EQ(client->ReadAll(), "answer");
}

}  // namespace
}  // namespace quillane
