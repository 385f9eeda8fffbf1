#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "LoopbackServer.h"

namespace quillane {
namespace {

using namespace std::chrono_literals;

class ServerLoad : public testing::LoopbackServer {};

// 64 clients at once, 20,000 requests in all, every answer checked byte for byte.
TEST_F(ServerLoad, ManyConcurrentClients) {
    constexpr int kClients = 64;
    constexpr int kRequests = 20000;
    std::string small(1024, '\0'), pack(200 * 1024, '\0');
    for (std::size_t i = 0; i < small.size(); ++i) small[i] = static_cast<char>('a' + i % 26);
    for (std::size_t i = 0; i < pack.size(); ++i) pack[i] = static_cast<char>(i * 131 >> 4);
    AddFile("small.txt", small);
    AddFile("pack.cab", pack);
    const std::string smallAnswer = testing::WithoutDate(Exchange("GET /small.txt HTTP/1.0\r\n\r\n"));
    const std::string packAnswer = testing::WithoutDate(Exchange("GET /pack.cab HTTP/1.0\r\n\r\n"));
    const std::string smallRequest =
        "GET /small.txt HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nConnection: close\r\n\r\n";
    ASSERT_EQ(smallAnswer.substr(smallAnswer.size() - small.size()), small);
    ASSERT_TRUE(packAnswer.substr(packAnswer.size() - pack.size()) == pack);

    std::atomic<int> next = 0, good = 0, bad = 0;
    std::mutex failuresLock;
    std::vector<std::string> failures;
    const auto fail = [&](std::string what) {
        bad++;
        const std::lock_guard lock(failuresLock);
        if (failures.size() < 5) failures.push_back(std::move(what));
    };
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&] {
            for (int n = next++; n < kRequests; n = next++) {
                // Every tenth request fetches the larger file.
                const bool large = n % 10 == 0;
                try {
                    testing::TTestClient client(port);
                    const std::string answer = client.Exchange(large ? "GET /pack.cab HTTP/1.0\r\n\r\n" : smallRequest);
                    if (testing::WithoutDate(answer) == (large ? packAnswer : smallAnswer)) good++;
                    else fail("answer of " + std::to_string(answer.size()) + " bytes: " + answer.substr(0, 40));
                } catch (const std::exception& error) {
                    fail(error.what());
                }
                if (std::chrono::steady_clock::now() - start > 240s) return;
            }
        });
    }
    for (auto& client : clients) client.join();
    EXPECT_EQ(bad.load(), 0) << ::testing::PrintToString(failures);
    EXPECT_EQ(good.load(), kRequests);
    entries.clear();
    Entries();
    EXPECT_EQ(entries.size(), 2u * (kRequests + 2));

    EXPECT_TRUE(testing::WaitFor([&] { return server->ListeningSocket().WorkerCount() <= 10; }));
    server->SetActive(false);
    EXPECT_EQ(testing::SettledCount(testing::ThreadCount, baselineThreads), baselineThreads);
    EXPECT_EQ(testing::SettledCount(testing::OpenDescriptorCount, baselineDescriptors), baselineDescriptors);
}

}  // namespace
}  // namespace quillane
