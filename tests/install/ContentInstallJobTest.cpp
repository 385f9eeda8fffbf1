#include "ContentInstallJob.h"
#include "ContentStore.h"
#include "LocalSite.h"
#include "PackFixtures.h"
#include "ScriptedServer.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

namespace fs = std::filesystem;
using namespace quillane;
namespace support = quillane::testing;
using namespace std::chrono_literals;
using quillane::testing::TempFolder;

namespace {

// Collects the results that jobs report from their threads.
class Results {
public:
    std::function<void(TInstallResult)> Sink() {
        return [this](TInstallResult result) {
            const std::lock_guard lock(lock_);
            results_.push_back(result);
            arrived_.notify_all();
        };
    }
    std::size_t Received() {
        const std::lock_guard lock(lock_);
        return results_.size();
    }
    std::vector<TInstallResult> WaitFor(std::size_t count) {
        std::unique_lock lock(lock_);
        arrived_.wait_for(lock, 20s, [&] { return results_.size() >= count; });
        return results_;
    }

private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<TInstallResult> results_;
};

class ContentInstallJobTest : public ::testing::Test {
protected:
    ContentInstallJobTest() { support::MakeEmoticonCabinet(site.File("pack.cab")); }

    std::vector<std::string> StoreEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(store.Folder())) names.push_back(entry.path().filename());
        return names;
    }

    support::IsolatedEnvironment environment;
    TempFolder temp;
    TempFolder site;
    TContentStore store{temp.Folder() + "store/"};
    Results results;
};

TEST_F(ContentInstallJobTest, APackFetchedOverHttpIsInstalledAndReportedOnce) {
    support::LocalSite server(site.Path().string());
    {
        TContentInstallJob job(store, server.Base() + "pack.cab", results.Sink());
        EXPECT_EQ(results.WaitFor(1), std::vector<TInstallResult>{kInstalled});
    }
    EXPECT_EQ(results.Received(), 1u);
    const auto packs = store.Packs();
    ASSERT_EQ(packs.size(), 1u);
    EXPECT_EQ(packs[0].source, server.Base() + "pack.cab");
    EXPECT_EQ(packs[0].items[0].name, "Smile");
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"/pack.cab"});
}

TEST_F(ContentInstallJobTest, DownloadsThatBringNoPackFailWithTheirCodes) {
    support::WriteFile(site.File("page.cab"), "<html>just a page</html>");
    support::LocalSite server(site.Path().string());
    const int closedPort = support::FreePort();
    {
        TContentInstallJob missing(store, server.Base() + "missing.cab", results.Sink());
        TContentInstallJob page(store, server.Base() + "page.cab", results.Sink());
        TContentInstallJob refused(store, "http://127.0.0.1:" + std::to_string(closedPort) + "/pack.cab",
                                   results.Sink());
        TContentInstallJob secure(store, "https://127.0.0.1/pack.cab", results.Sink());
        results.WaitFor(4);
    }
    auto codes = results.WaitFor(4);
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<TInstallResult>{kDownloadFailed, kDownloadFailed, kDownloadFailed, kNotACabinet}));
    EXPECT_TRUE(store.Packs().empty());
    EXPECT_EQ(StoreEntries(), std::vector<std::string>{"packs"});
}

TEST_F(ContentInstallJobTest, EndingAJobStopsAStalledDownloadAtOnce) {
    support::ScriptedServer server({[](support::ServerConnection& connection) {
        connection.ReadRequest();
        connection.Send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\nMSCF");
        connection.Stall();
    }});
    const auto start = std::chrono::steady_clock::now();
    {
        TContentInstallJob job(store, server.Url("/pack.cab"), results.Sink());
        while (server.Connections() == 0) std::this_thread::sleep_for(5ms);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(results.WaitFor(1), std::vector<TInstallResult>{kDownloadFailed});
    EXPECT_TRUE(store.Packs().empty());
    EXPECT_EQ(StoreEntries(), std::vector<std::string>{"packs"});
}

TEST_F(ContentInstallJobTest, JobsRunningTogetherEachInstallTheirPack) {
    support::LocalSite server(site.Path().string());
    {
        std::vector<std::unique_ptr<TContentInstallJob>> jobs;
        for (int i = 0; i < 4; ++i) {
            jobs.push_back(std::make_unique<TContentInstallJob>(store, server.Base() + "pack.cab", results.Sink()));
        }
        results.WaitFor(4);
    }
    EXPECT_EQ(results.WaitFor(4), std::vector<TInstallResult>(4, kInstalled));
    const auto packs = store.Packs();
    ASSERT_EQ(packs.size(), 4u);
    std::set<int> ids;
    for (const auto& pack : packs) ids.insert(pack.id);
    EXPECT_EQ(ids.size(), 4u);
}

}  // namespace
