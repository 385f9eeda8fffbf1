#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "HttpParser.h"
#include "ServerErrors.h"
#include "WebServer.h"

namespace quillane {
namespace {

TEST(ServerLog, EntriesAreFreedOnDeliveryWithoutAHandler) {
    TCustomWebServer server;
    int notified = 0;
    server.Log().SetNotifier([&] { ++notified; });
    server.Log().LogError(1, 10054, "Connection reset by peer");
    server.Log().LogResponse("HTTP/1.1 200 OK\r\n\r\n");
    EXPECT_EQ(notified, 2);
    EXPECT_EQ(server.Log().PendingCount(), 2u);
    server.Log().DeliverPending();
    EXPECT_EQ(server.Log().PendingCount(), 0u);
}

TEST(ServerLog, DeliveredInOrderOnTheDeliveringThread) {
    TCustomWebServer server;
    std::vector<std::string> seen;
    server.LogHandler = [&](TServerLog&, std::unique_ptr<TTransactionLogEntry>& entry) {
        seen.push_back(entry->Column(0) + ":" + std::to_string(dynamic_cast<TErrorTransaction&>(*entry).Code));
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&server, t] {
            for (int i = 0; i < 50; ++i) server.Log().LogError(1, t * 100 + i, "m");
        });
    for (auto& worker : workers) worker.join();
    server.Log().DeliverPending();
    ASSERT_EQ(seen.size(), 200u);
    for (int t = 0; t < 4; ++t) {
        int last = -1;
        for (const std::string& item : seen) {
            const int code = std::stoi(item.substr(item.find(':') + 1));
            if (code / 100 != t) continue;
            EXPECT_GT(code, last);
            last = code;
        }
    }
}

TEST(ServerLog, ResponseEntryReadsItsHead) {
    TResponseTransaction entry("HTTP/1.1 404 Not Found\r\nDate: Wed, 05 Jan 2005 10:20:30 GMT\r\n"
                               "Server: Quillane Server/1.0\r\nContent-Type: text/html\r\nContent-Type: text/plain\r\n"
                               "Content-Length: 123\r\nContent:\r\n\r\n<TITLE>x</TITLE>");
    EXPECT_EQ(entry.StatusLine, "HTTP/1.1 404 Not Found");
    EXPECT_EQ(entry.Status, "404 Not Found");
    EXPECT_EQ(entry.ContentType, "text/html");
    EXPECT_EQ(entry.ContentLength, 123);
    EXPECT_EQ(entry.Column(0), "RESPONSE");
    EXPECT_EQ(entry.Column(6), "123");
    EXPECT_EQ(entry.Column(9), "");
    EXPECT_EQ(entry.Elapsed, 0);
}

TEST(ServerLog, ResponseEntryOfAnUnreadableHeadKeepsWhatItRead) {
    TResponseTransaction entry("HTTP/1.1 200 OK\r\n'unterminated\r\n");
    EXPECT_EQ(entry.Status, "200 OK");
    TResponseTransaction longLine("HTTP/1.1 200 OK\r\nX: " + std::string(5000, 'a'));
    EXPECT_EQ(longLine.Status, "200 OK");
}

TEST(ServerLog, ElapsedTimeFollowsTheRequestOfTheSameThread) {
    TCustomWebServer server;
    std::vector<std::unique_ptr<TTransactionLogEntry>> kept;
    server.LogHandler = [&](TServerLog&, std::unique_ptr<TTransactionLogEntry>& entry) { kept.push_back(std::move(entry)); };
    TWebServerRequest request(80, "127.0.0.1", {});
    request.SetText(fiRequestMethod, "GET");
    request.SetText(fiPathInfo, "/a");
    request.SetText(fiContentType, "text/plain");
    server.Log().LogRequest(request);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    server.Log().LogResponse("HTTP/1.1 200 OK\r\n\r\n");
    std::thread other([&] { server.Log().LogResponse("HTTP/1.1 200 OK\r\n\r\n"); });
    other.join();
    server.Log().DeliverPending();
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0]->Column(0), "GET");
    EXPECT_EQ(kept[0]->Column(4), "/a");
    EXPECT_EQ(kept[0]->Column(6), "0");
    EXPECT_EQ(kept[0]->Column(7), "text/plain");
    EXPECT_EQ(kept[0]->Column(3), "");
    EXPECT_GE(kept[1]->Elapsed, 0.015 / 86400);
    EXPECT_EQ(kept[1]->Column(3).substr(0, 8), "00:00:00");
    EXPECT_EQ(kept[2]->Elapsed, 0);
    EXPECT_NE(kept[2]->ThreadId, kept[1]->ThreadId);
    EXPECT_EQ(kept[1]->Column(8), std::to_string(kept[1]->ThreadId));
    EXPECT_EQ(kept[1]->Column(1).size(), 12u);
}

TEST(ServerLog, ErrorEntryText) {
    TErrorTransaction entry(2, 10054, "Connection reset by peer");
    entry.Time = EncodeDateTime({2005, 1, 5, 10, 20, 30, 0});
    EXPECT_EQ(entry.Text(), "Wed, 05 Jan 2005 10:20:30 Receive Error: (10054)Connection reset by peer");
    entry.Kind = 1;
    EXPECT_EQ(entry.Text(), "Wed, 05 Jan 2005 10:20:30 Send Error: (10054)Connection reset by peer");
    entry.Kind = 3;
    EXPECT_EQ(entry.Text(), "Wed, 05 Jan 2005 10:20:30  Error: (10054)Connection reset by peer");
}

TEST(ServerLog, FailingHandlerStillFreesTheEntry) {
    TCustomWebServer server;
    int calls = 0;
    server.LogHandler = [&](TServerLog&, std::unique_ptr<TTransactionLogEntry>&) {
        if (++calls == 1) throw std::runtime_error("handler failed");
    };
    server.Log().LogError(1, 1, "a");
    server.Log().LogError(1, 2, "b");
    EXPECT_THROW(server.Log().DeliverPending(), std::runtime_error);
    EXPECT_EQ(server.Log().PendingCount(), 1u);
    server.Log().DeliverPending();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(server.Log().PendingCount(), 0u);
}

}  // namespace
}  // namespace quillane
