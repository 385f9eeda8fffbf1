#include "ClientFixture.h"
#include "ScriptedServer.h"
#include "TlsSite.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

using namespace quillane;
using namespace quillane::testing;
using namespace std::chrono_literals;

namespace {

// One site over HTTPS for the whole suite, with a pack of random bytes.
class SecureDownload : public ClientTest {
protected:
    static void SetUpTestSuite() {
        files = std::make_unique<TempFolder>();
        std::mt19937 random(29);
        std::string pack(3 * 1024 * 1024 + 5, '\0');
        for (char& byte : pack) byte = static_cast<char>(random());
        WriteFile(files->File("pack.qzk"), pack);
        WriteFile(files->File("small.txt"), "small and secure");
        site = std::make_unique<TlsSite>(files->Path().string());
    }
    static void TearDownTestSuite() {
        site.reset();
        files.reset();
    }

    std::string Failure(const std::string& url) {
        try {
            client.Get(url);
        } catch (const EAbortError& error) {
            return "EAbortError " + std::string(error.what());
        } catch (const ESockError& error) {
            return error.what();
        }
        return "no exception";
    }

    static std::unique_ptr<TempFolder> files;
    static std::unique_ptr<TlsSite> site;
};

std::unique_ptr<TempFolder> SecureDownload::files;
std::unique_ptr<TlsSite> SecureDownload::site;

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

TEST_F(SecureDownload, AFileArrivesExactlyWithProgressByNameAndByAddress) {
    std::vector<int64_t> progress;
    client.OnPacketRecvd = [&](THttpClient& sender) { progress.push_back(sender.ReceivedBytes()); };
    client.Get(site->Url(Certificate::Good, "/pack.qzk"));
    const std::string expected = ReadFile(files->File("pack.qzk"));
    EXPECT_EQ(client.StatusCode(), 200);
    EXPECT_EQ(client.ContentLength(), static_cast<int64_t>(expected.size()));
    EXPECT_EQ(client.ReceivedBytes(), static_cast<int64_t>(expected.size()));
    EXPECT_TRUE(Downloaded() == expected);
    ASSERT_GT(progress.size(), 10u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), static_cast<int64_t>(expected.size()));
    EXPECT_FALSE(client.Connected());

    // The certificate names the address too; the same client connects again at once.
    client.Get("https://127.0.0.1:" + std::to_string(site->Port(Certificate::Good)) + "/small.txt");
    EXPECT_EQ(Downloaded(), "small and secure");
}

TEST_F(SecureDownload, AnHttpAddressRedirectedToHttpsIsFollowedAndSecureCookiesStayOnHttps) {
    const std::string secureBase = "https://127.0.0.1:" + std::to_string(site->Port(Certificate::Good));
    // The plain server's Secure cookie came in the clear and is dropped; the
    // secure site's own goes with its next request, never over plain HTTP.
    ScriptedServer plain({Reply(Answer("301 Moved Permanently",
                                       "Set-Cookie: forged=1; Secure\r\nLocation: " + secureBase +
                                           "/redirect?to=/small.txt&cookie=visit%3D2%3B%20secure\r\n",
                                       "")),
                          Reply(Answer("200 OK", "", "plain again"))});
    const std::size_t before = site->Requests().size();
    client.Get(plain.Url("/small.txt"));
    EXPECT_EQ(Downloaded(), "small and secure");
    EXPECT_EQ(client.StatusCode(), 200);
    const std::vector<std::string> requests = site->Requests();
    ASSERT_EQ(requests.size(), before + 2);
    EXPECT_EQ(requests[before], "/redirect?to=/small.txt&cookie=visit%3D2%3B%20secure\t");
    EXPECT_EQ(requests[before + 1], "/small.txt\tvisit=2");

    client.Get(plain.Url("/later"));
    EXPECT_EQ(plain.Requests().at(1), RequestFor("/later", plain.Authority()));
    EXPECT_EQ(Downloaded(), "plain again");
}

TEST_F(SecureDownload, ServersThatCannotBeTrustedFailWithTheReasonAndTheHost) {
    // A plain HTTP server on the port answers the handshake with a page.
    ScriptedServer notTls({[](ServerConnection& connection) {
        connection.Send(Answer("400 Bad Request", "", "plain text on a secure port"));
    }});
    const std::size_t before = site->Requests().size();
    EXPECT_EQ(Failure(site->Url(Certificate::OtherName, "/small.txt")), "The certificate of localhost is for another name");
    EXPECT_EQ(Failure(site->Url(Certificate::Expired, "/small.txt")), "The certificate of localhost has expired");
    EXPECT_EQ(Failure(site->Url(Certificate::Untrusted, "/small.txt")), "The certificate of localhost is not trusted");
    EXPECT_EQ(Failure("https://127.0.0.1:" + std::to_string(notTls.Port()) + "/small.txt"),
              "A secure connection to 127.0.0.1 could not be made");
    // No request was sent, nothing was written, and the client works on.
    EXPECT_EQ(site->Requests().size(), before);
    EXPECT_FALSE(std::filesystem::exists(BodyFile()));
    EXPECT_FALSE(client.Connected());
    client.Get(site->Url(Certificate::Good, "/small.txt"));
    EXPECT_EQ(Downloaded(), "small and secure");
}

TEST_F(SecureDownload, ARedirectFromHttpsToHttpIsRefusedAndTheFileLeftAsItWas) {
    PutEarlierDownload();
    ScriptedServer plain({Reply(Answer("200 OK", "", "in the clear"))});
    EXPECT_EQ(Failure(site->Url(Certificate::Good, "/redirect?to=" + plain.Url("/pack.qzk"))),
              "The secure site localhost redirects to an address that is not secure; it is not followed");
    EXPECT_EQ(plain.Connections(), 0);
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(SecureDownload, WithoutLengthOnlyTheServersOwnEndMakesTheBodyWhole) {
    PutEarlierDownload();
    EXPECT_EQ(Failure(site->Url(Certificate::Good, "/unframed?end=cut")),
              "The secure connection to localhost was cut off before the server ended it; the download may be incomplete.");
    EXPECT_EQ(Downloaded(), kEarlier);
    client.Get(site->Url(Certificate::Good, "/unframed?end=announced"));
    EXPECT_EQ(Downloaded(), "a body without a length");
}

TEST_F(SecureDownload, CancelAndTimeOutEndAStalledHandshakeWithoutBusyWaiting) {
    ScriptedServer stalled({[](ServerConnection& connection) { connection.Stall(); }});
    const std::string url = "https://127.0.0.1:" + std::to_string(stalled.Port()) + "/pack.qzk";
    int pumps = 0;
    bool connectedAtCancel = false;
    client.Pump = [&] {
        if (++pumps < 50) return;
        connectedAtCancel = client.Connected();
        client.Disconnect();
    };
    EXPECT_EQ(Failure(url), "Connection Canceled");
    EXPECT_EQ(pumps, 50);
    EXPECT_TRUE(connectedAtCancel);
    EXPECT_FALSE(client.Connected());

    client.Pump = nullptr;
    client.SetTimeOut(300);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuSeconds();
    EXPECT_EQ(Failure(url), "EAbortError The server stopped answering.");
    const double cpu = ThreadCpuSeconds() - cpuStart;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 300ms);
    EXPECT_LT(elapsed, 3s);
    EXPECT_LT(cpu, 0.25 * std::chrono::duration<double>(elapsed).count());
    EXPECT_EQ(stalled.Connections(), 2);
    EXPECT_FALSE(std::filesystem::exists(BodyFile()));
}
