#include "ClientFixture.h"
#include "PythonHttpServer.h"

#include <gtest/gtest.h>
#include <random>

using namespace quillane;
using namespace quillane::testing;

namespace {

// Python's own HTTP server, serving a folder of its own, for the whole suite.
class PythonPeer : public ClientTest {
protected:
    static void SetUpTestSuite() {
        site = std::make_unique<TempFolder>();
        std::mt19937 random(6);
        std::string pack(3 * 1024 * 1024 + 17, '\0');
        for (char& byte : pack) byte = static_cast<char>(random());
        WriteFile(site->File("download/big.qzk"), pack);
        WriteFile(site->File("download/contentcount.txt"), "60\r\nhttp://127.0.0.1/p.gif\r\n");
        server = std::make_unique<PythonHttpServer>(site->Path().string());
    }
    static void TearDownTestSuite() {
        server.reset();
        site.reset();
    }

    static std::unique_ptr<TempFolder> site;
    static std::unique_ptr<PythonHttpServer> server;
};

std::unique_ptr<TempFolder> PythonPeer::site;
std::unique_ptr<PythonHttpServer> PythonPeer::server;

}  // namespace

TEST_F(PythonPeer, DownloadsAFileExactlyWithProgress) {
    std::vector<int64_t> progress;
    client.OnPacketRecvd = [&](THttpClient& sender) { progress.push_back(sender.ReceivedBytes()); };
    client.Get(server->Url("/download/big.qzk"));
    const std::string expected = ReadFile(site->File("download/big.qzk"));
    EXPECT_EQ(client.StatusCode(), 200);
    EXPECT_EQ(client.ContentLength(), static_cast<int64_t>(expected.size()));
    EXPECT_EQ(client.ReceivedBytes(), static_cast<int64_t>(expected.size()));
    EXPECT_TRUE(Downloaded() == expected);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), static_cast<int64_t>(expected.size()));
}

TEST_F(PythonPeer, ByNameAndTwiceInARow) {
    const std::string url = "http://localhost:" + std::to_string(server->Port()) + "/download/contentcount.txt";
    client.Get(url);
    EXPECT_EQ(Downloaded(), "60\r\nhttp://127.0.0.1/p.gif\r\n");
    client.SetBody(folder.File("second"));
    client.Get(url);
    EXPECT_EQ(ReadFile(folder.File("second")), "60\r\nhttp://127.0.0.1/p.gif\r\n");
}

TEST_F(PythonPeer, AMissingFileGivesItsStatusAndNoFile) {
    client.Get(server->Url("/download/missing.qzk"));
    EXPECT_EQ(client.StatusCode(), 404);
    EXPECT_FALSE(std::filesystem::exists(BodyFile()));
    EXPECT_EQ(client.Header().rfind("HTTP/1.0 404 ", 0), 0u) << client.Header();
}

TEST_F(PythonPeer, AFolderWithoutSlashIsRedirectedToItsListing) {
    client.Get(server->Url("/download"));
    EXPECT_NE(client.Header().find("301"), std::string::npos);
    EXPECT_NE(client.Header().find("Location: /download/\r\n"), std::string::npos);
    EXPECT_EQ(client.StatusCode(), 200);
    EXPECT_NE(Downloaded().find("big.qzk"), std::string::npos);
}
