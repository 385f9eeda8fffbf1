#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "LoopbackServer.h"
#include "ServerErrors.h"

namespace quillane {
namespace {

using namespace std::chrono_literals;
using testing::TTestClient;
using testing::WithoutDate;

// 2005-07-01 12:00:01 UTC is 14:00:01 summer time in the test's zone; the answer
// truncates it to an even second and removes the standard-time hour only.
constexpr const char* kLastModified = "Last-Modified: Fri, 01 Jul 2005 13:00:00 GMT\r\n";
constexpr const char* kNotFoundPage =
    "<TITLE>The requested URL was not found</TITLE><BODY><H1>The requested URL was not found</H1><P>HTTP status "
    "code: 404</BODY>";
constexpr const char* kBadRequestPage =
    "<HTML><TITLE>Invalid HTTP request: Method not allowed for HTTP/1.0</TITLE><BODY><H1>Invalid HTTP request: "
    "Method not allowed for HTTP/1.0</H1><P>HTTP status code: 400</BODY></HTML>\r\n";

class ServerAnswers : public testing::LoopbackServer {};

TEST_F(ServerAnswers, GetOfAFile) {
    const std::string pack = "MSCF" + std::string(5000, '\x01') + "end";
    AddFile("temppack11.cab", pack);
    const std::string asked = "GET /temppack11.cab HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
    const std::string answer = Exchange(asked);
    EXPECT_EQ(WithoutDate(answer), std::string("HTTP/1.1 200 OK\r\nDate: *\r\nServer: Quillane Server/1.0\r\n") +
                                       kLastModified +
                                       "Content-Type: application/vnd.ms-cab-compressed\r\nContent-Length: 5007\r\n"
                                       "Connection: close\r\nContent:\r\n\r\n" + pack);
    EXPECT_NE(WithoutDate(answer), answer);

    auto& log = Entries();
    ASSERT_EQ(log.size(), 2u);
    auto* request = dynamic_cast<TRequestTransaction*>(log[0].get());
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->EventText, "GET");
    EXPECT_EQ(request->PathInfo, "/temppack11.cab");
    EXPECT_EQ(request->Text(), asked);
    auto* response = dynamic_cast<TResponseTransaction*>(log[1].get());
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->EventText, "RESPONSE");
    EXPECT_EQ(response->Status, "200 OK");
    EXPECT_EQ(response->ContentType, "application/vnd.ms-cab-compressed");
    EXPECT_EQ(response->ContentLength, 5007);
    // The file body is not part of the record.
    EXPECT_EQ(response->RawText, answer.substr(0, answer.size() - pack.size()));
    EXPECT_EQ(response->ThreadId, request->ThreadId);
    EXPECT_GE(response->Elapsed, 0);
}

TEST_F(ServerAnswers, SubfolderPathsServeTheLastSegment) {
    AddFile("temppack11.cab", "abc");
    const std::string direct = WithoutDate(Exchange("GET /temppack11.cab HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(WithoutDate(Exchange("GET /sub/temppack11.cab HTTP/1.0\r\n\r\n")), direct);
    EXPECT_EQ(WithoutDate(Exchange("GET /a/temppack11.cab/ HTTP/1.0\r\n\r\n")), direct);
    EXPECT_NE(direct.find("\r\n\r\nabc"), std::string::npos);
}

TEST_F(ServerAnswers, NotFound) {
    const std::string answer = Exchange("GET /missing.cab HTTP/1.0\r\n\r\n");
    EXPECT_EQ(WithoutDate(answer), std::string("HTTP/1.1 404 Not Found\r\nDate: *\r\nServer: Quillane Server/1.0\r\n"
                                               "Content-Type: text/html\r\nContent-Length: 123\r\nConnection: close\r\nContent:\r\n\r\n") +
                                       kNotFoundPage);
    EXPECT_EQ(std::string(kNotFoundPage).size(), 123u);
    auto& log = Entries();
    ASSERT_EQ(log.size(), 2u);
    auto* response = dynamic_cast<TResponseTransaction*>(log[1].get());
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->Status, "404 Not Found");
    EXPECT_EQ(response->ContentType, "text/html");
    EXPECT_EQ(response->ContentLength, 123);
    EXPECT_EQ(response->Column(5), "404 Not Found");
    EXPECT_EQ(response->Column(7), "text/html");
    // The root path is empty, and without a default URL it is not found either.
    EXPECT_NE(Exchange("GET / HTTP/1.0\r\n\r\n").find("HTTP/1.1 404 Not Found\r\n"), std::string::npos);
}

TEST_F(ServerAnswers, NotModifiedSinceTheLastModifiedDate) {
    AddFile("temppack11.cab", "abc");
    const std::string answer = Exchange("GET /temppack11.cab HTTP/1.0\r\n"
                                        "If-Modified-Since: Fri, 01 Jul 2005 13:00:00 GMT\r\n\r\n");
    EXPECT_EQ(WithoutDate(answer), "HTTP/1.1 304 Not Modified\r\nDate: *\r\nServer: Quillane Server/1.0\r\nConnection: close\r\nContent:\r\n\r\n");
    const std::string older = Exchange("GET /temppack11.cab HTTP/1.0\r\n"
                                       "If-Modified-Since: Fri, 01 Jul 2005 12:59:59 GMT\r\n\r\n");
    EXPECT_EQ(older.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(older.find("\r\n\r\nabc"), std::string::npos);
}

TEST_F(ServerAnswers, HeadSendsTheHeadersWithoutLengthAndBody) {
    AddFile("temppack11.cab", "abcdef");
    const std::string answer = Exchange("HEAD /temppack11.cab HTTP/1.0\r\n\r\n");
    EXPECT_EQ(WithoutDate(answer), std::string("HTTP/1.1 200 OK\r\nDate: *\r\nServer: Quillane Server/1.0\r\n") +
                                       kLastModified + "Content-Type: application/vnd.ms-cab-compressed\r\nConnection: close\r\nContent:\r\n\r\n");
    const std::string missing = Exchange("HEAD /missing.cab HTTP/1.0\r\n\r\n");
    EXPECT_EQ(missing.find("HTTP/1.1 404"), 0u);
    EXPECT_EQ(missing.find("HTTP/1.1", 1), std::string::npos);
}

TEST_F(ServerAnswers, EmptyFile) {
    AddFile("empty.txt", "");
    EXPECT_EQ(WithoutDate(Exchange("GET /empty.txt HTTP/1.0\r\n\r\n")),
              std::string("HTTP/1.1 200 OK\r\nDate: *\r\nServer: Quillane Server/1.0\r\n") + kLastModified +
                  "Content-Type: text/plain\r\nContent-Length: 0\r\nConnection: close\r\nContent:\r\n\r\n");
}

TEST_F(ServerAnswers, RequestWithoutVersionGetsTheBodyAlone) {
    AddFile("temppack11.cab", "the pack bytes");
    EXPECT_EQ(Exchange("GET /temppack11.cab\r\n"), "the pack bytes");
    EXPECT_EQ(Exchange("GET /missing\r\n"), kNotFoundPage);
}

TEST_F(ServerAnswers, RedirectToTheDefaultUrl) {
    server->SetActive(false);
    server->SetDefaultURL("/index.html");
    server->SetActive(true);
    port = server->Port();
    const std::string url = "http://localhost:" + std::to_string(port) + "/index.html";
    const std::string page = "<html><title>Document Moved 302</title>\r\n<body><h1>Object Moved</h1><hr>\r\n"
                             "This Object may be found <a HREF=\"" + url + "\">here.</a><br>\r\n<br></body></html>\r\n";
    EXPECT_EQ(WithoutDate(Exchange("GET / HTTP/1.0\r\n\r\n")),
              "HTTP/1.1 302 Moved Temporarily\r\nLocation: " + url +
                  "\r\nDate: *\r\nServer: Quillane Server/1.0\r\nContent-Type: text/html\r\nContent-Length: " +
                  std::to_string(page.size()) + "\r\nConnection: close\r\nContent:\r\n\r\n" + page);
}

TEST_F(ServerAnswers, TokenizerErrorGetsTheBadRequestPage) {
    EXPECT_EQ(WithoutDate(Exchange("GET /x HTTP/1.0\r\nHost: 'unterminated\r\n\r\n")),
              std::string("HTTP/1.1 400 Bad Request\r\nDate: *\r\nServer: Quillane Server/1.0\r\nContent-Type: "
                          "text/html\r\nContent-Length: 182\r\nConnection: close\r\nContent:\r\n\r\n") + kBadRequestPage);
    EXPECT_EQ(std::string(kBadRequestPage).size(), 182u);
    const std::string longLine = Exchange("GET /x HTTP/1.0\r\nX: " + std::string(5000, 'a') + "\r\n\r\n");
    EXPECT_EQ(longLine.find("HTTP/1.1 400 Bad Request\r\n"), 0u);
}

TEST_F(ServerAnswers, ContentAboveTheLimitGetsTheBadRequestPage) {
    TTestClient client(port);
    client.Send("POST /x HTTP/1.0\r\nContent-Length: 2000000\r\n\r\n" + std::string(100000, 'c'));
    EXPECT_EQ(client.ReadAll().find("HTTP/1.1 400 Bad Request\r\n"), 0u);
}

TEST_F(ServerAnswers, BadDateGetsTheServerErrorPage) {
    AddFile("temppack11.cab", "abc");
    const std::string message = "'xx' is not a valid integer value";
    const std::string page = "<TITLE>Internal Server Error</TITLE><BODY><H1>Internal Server Error</H1><P>HTTP status "
                             "code: 500<P>HTTP error message: " + message + "</BODY>";
    EXPECT_EQ(WithoutDate(Exchange("GET /temppack11.cab HTTP/1.0\r\nIf-Modified-Since: Sat, xx Oct 1994 19:43:31 GMT\r\n\r\n")),
              "HTTP/1.1 500 " + message + "\r\nDate: *\r\nServer: Quillane Server/1.0\r\nContent-Type: text/html\r\n"
              "Content-Length: " + std::to_string(page.size()) + "\r\nConnection: close\r\nContent:\r\n\r\n" + page);
    auto& log = Entries();
    ASSERT_EQ(log.size(), 1u);  // the request failed while it was read, so only the answer is recorded
    EXPECT_EQ(dynamic_cast<TResponseTransaction&>(*log[0]).Status, "500 " + message);
}

TEST_F(ServerAnswers, ErrorMessagesCannotForgeHeadersOrMarkup) {
    const std::string answer =
        Exchange("GET /x HTTP/1.0\r\nIf-Modified-Since: Sat, #13#10'X-Forged: 1<script>' Oct 1994 19:43:31 GMT\r\n\r\n");
    const std::size_t blankLine = answer.find("\r\n\r\n");
    ASSERT_NE(blankLine, std::string::npos);
    const std::string head = answer.substr(0, blankLine + 2);
    const std::string body = answer.substr(blankLine + 4);
    EXPECT_EQ(head.find("\r\nX-Forged"), std::string::npos) << answer;
    EXPECT_EQ(body.find("<script>"), std::string::npos) << answer;
    EXPECT_NE(body.find("&lt;script&gt;"), std::string::npos) << answer;
    EXPECT_EQ(answer.find("HTTP/1.1 500 '  X-Forged: 1<script>' is not a valid integer value\r\n"), 0u) << answer;
}

TEST_F(ServerAnswers, FolderGetsTheServerErrorPageWithItsPath) {
    std::filesystem::create_directory(folder.File("sub"));
    const std::string path = folder.File("sub");
    const std::string answer = Exchange("GET /sub HTTP/1.0\r\n\r\n");
    EXPECT_EQ(answer.find("HTTP/1.1 500 Cannot open file " + path + "\r\n"), 0u) << answer;
    EXPECT_NE(answer.find("HTTP error message: Cannot open file " + path + "</BODY>"), std::string::npos);
}

TEST_F(ServerAnswers, ClientLeavingDuringAFileBodyHarmsNothing) {
    AddFile("big.bin", std::string(16 * 1024 * 1024, 'b'));
    AddFile("a.txt", "abc");
    for (int i = 0; i < 3; ++i) {
        TTestClient leaving(port);
        leaving.Send("GET /big.bin HTTP/1.0\r\n\r\n");
        std::this_thread::sleep_for(50ms);
        leaving.Reset();
    }
    // The server goes on; each send failure was logged once and closed its connection.
    EXPECT_NE(Exchange("GET /a.txt HTTP/1.0\r\n\r\n").find("\r\n\r\nabc"), std::string::npos);
    const auto sendErrors = [&] {
        std::size_t count = 0;
        for (const auto& entry : Entries())
            if (const auto* error = dynamic_cast<const TErrorTransaction*>(entry.get())) count += error->Kind == 1;
        return count;
    };
    EXPECT_TRUE(testing::WaitFor([&] { return sendErrors() >= 3; }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sendErrors(), 3u);
}

TEST_F(ServerAnswers, PostIsServedLikeGetAndPutGetsNoAnswer) {
    AddFile("temppack11.cab", "abc");
    const std::string post = Exchange("POST /temppack11.cab HTTP/1.0\r\nContent-Length: 4\r\n\r\nbody");
    EXPECT_EQ(post.find("HTTP/1.1 200 OK\r\n"), 0u);
    EXPECT_NE(post.find("Content-Length: 3\r\nConnection: close\r\nContent:\r\n\r\nabc"), std::string::npos);
    EXPECT_EQ(Exchange("PUT /x HTTP/1.0\r\nContent-Length: 1\r\n\r\nx"), "");
    EXPECT_EQ(Exchange("DELETE /temppack11.cab HTTP/1.0\r\n\r\n"), "");
    EXPECT_EQ(Exchange("OPTIONS * HTTP/1.0\r\n\r\n"), "");
}

// A web page that has its own name point to 127.0.0.1 reaches the server through the
// user's browser, which names the page's host: it gets the 400 page, nothing from the folder.
TEST_F(ServerAnswers, OnlyRequestsNamingThisServerAreServed) {
    AddFile("a.txt", "abc");
    const std::string own = std::to_string(port);
    const auto answer = [&](const std::string& version, const std::string& headers) {
        return WithoutDate(Exchange("GET /a.txt " + version + "\r\n" + headers + "\r\n"));
    };
    const std::string served = answer("HTTP/1.0", "");
    EXPECT_TRUE(served.ends_with("\r\n\r\nabc")) << served;
    for (const std::string& host : {"127.0.0.1:" + own, "localhost:" + own, "LocalHost:" + own + " "})
        EXPECT_EQ(answer("HTTP/1.1", "Host: " + host + "\r\n"), served) << host;
    const std::string refused = answer("HTTP/1.0", "Host: rebound.example:" + own + "\r\n");
    EXPECT_EQ(refused.rfind("HTTP/1.1 400 Bad Request\r\n", 0), 0u) << refused;
    EXPECT_TRUE(refused.ends_with(kBadRequestPage)) << refused;
    for (const std::string& host : std::vector<std::string>{"127.0.0.1", "localhost", "localhost:80", "127.0.0.1:" + own + "0",
                                                            "127.0.0.2:" + own, "sub.localhost:" + own})
        EXPECT_EQ(answer("HTTP/1.1", "Host: " + host + "\r\n"), refused) << host;
    EXPECT_EQ(answer("HTTP/1.1", ""), refused) << "HTTP/1.1 without Host";
}

TEST_F(ServerAnswers, KeepAliveIsAnsweredAndClosed) {
    AddFile("a.txt", "abc");
    TTestClient client(port);
    client.Send("GET /a.txt HTTP/1.1\r\nHost: localhost:" + std::to_string(port) + "\r\nConnection: Keep-Alive\r\n\r\n");
    const std::string answer = client.ReadAll(5s);
    EXPECT_FALSE(client.timedOut);
    EXPECT_NE(answer.find("\r\n\r\nabc"), std::string::npos);
}

TEST_F(ServerAnswers, ExeFilesAreAlwaysOctetStreams) {
    AddFile("setup.exe", "MZ");
    EXPECT_NE(Exchange("GET /setup.exe HTTP/1.0\r\n\r\n").find("Content-Type: application/octet-stream\r\n"),
              std::string::npos);
}

TEST_F(ServerAnswers, LargeFileArrivesWhole) {
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
    AddFile("big.bin", bytes);
    const std::string answer = Exchange("GET /big.bin HTTP/1.0\r\n\r\n");
    const std::size_t body = answer.find("\r\n\r\n");
    ASSERT_NE(body, std::string::npos);
    EXPECT_TRUE(answer.substr(body + 4) == bytes);
}

class ServerLifecycle : public testing::LoopbackServer {};

TEST_F(ServerLifecycle, PortCannotChangeWhileActive) {
    try {
        server->SetPort(testing::FreePort());
        FAIL() << "the port changed while listening";
    } catch (const ESocketError& error) {
        EXPECT_STREQ(error.what(), "Can't change value while socket is active");
    }
    EXPECT_EQ(server->Port(), port);
    server->SetActive(false);
    const int other = testing::FreePort();
    server->SetPort(other);
    server->SetActive(true);
    EXPECT_EQ(server->Port(), other);
    AddFile("a.txt", "abc");
    TTestClient client(other);
    EXPECT_NE(client.Exchange("GET /a.txt HTTP/1.0\r\n\r\n").find("abc"), std::string::npos);
}

TEST_F(ServerLifecycle, SwitchingOnTwiceAndOffTwice) {
    AddFile("a.txt", "abc");
    server->SetActive(true);
    EXPECT_TRUE(server->Active());
    EXPECT_EQ(server->Port(), port);
    EXPECT_NE(Exchange("GET /a.txt HTTP/1.0\r\n\r\n").find("abc"), std::string::npos);
    server->SetActive(false);
    server->SetActive(false);
    EXPECT_FALSE(server->Active());
    EXPECT_THROW(TTestClient{port}, std::runtime_error);
    server->SetActive(true);
    port = server->Port();
    EXPECT_NE(Exchange("GET /a.txt HTTP/1.0\r\n\r\n").find("abc"), std::string::npos);
    try {
        server->ListeningSocket().Listen(0);
        FAIL() << "listened twice";
    } catch (const ESocketError& error) {
        EXPECT_STREQ(error.what(), "Can't listen on an open socket");
    }
}

TEST_F(ServerLifecycle, SwitchingOffInterruptsASilentClientAtOnce) {
    TTestClient silent(port);
    ASSERT_TRUE(testing::WaitFor([&] {
        return server->ListeningSocket().WorkerCount() == 1 && server->ListeningSocket().IdleWorkerCount() == 0;
    }));
    const auto start = std::chrono::steady_clock::now();
    server->SetActive(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(server->ListeningSocket().WorkerCount(), 0u);
    EXPECT_EQ(silent.ReadAll(2s), "");
    EXPECT_FALSE(silent.timedOut);
}

TEST_F(ServerLifecycle, ElevenConnectionsLeaveTenIdleWorkers) {
    AddFile("a.txt", "abc");
    EXPECT_EQ(server->ListeningSocket().IdleThreadLimit(), 10);
    std::vector<std::unique_ptr<TTestClient>> clients;
    for (int i = 0; i < 11; ++i) clients.push_back(std::make_unique<TTestClient>(port));
    ASSERT_TRUE(testing::WaitFor([&] { return server->ListeningSocket().WorkerCount() == 11; }));
    EXPECT_EQ(server->ListeningSocket().IdleWorkerCount(), 0u);
    for (auto& client : clients) client->Send("GET /a.txt HTTP/1.0\r\n\r\n");
    for (auto& client : clients) EXPECT_NE(client->ReadAll().find("\r\n\r\nabc"), std::string::npos);
    ASSERT_TRUE(testing::WaitFor([&] {
        return server->ListeningSocket().WorkerCount() == 10 && server->ListeningSocket().IdleWorkerCount() == 10;
    }));
    // An idle worker takes the next connection; no new thread is needed.
    EXPECT_NE(Exchange("GET /a.txt HTTP/1.0\r\n\r\n").find("abc"), std::string::npos);
    EXPECT_EQ(server->ListeningSocket().WorkerCount(), 10u);
    server->SetActive(false);
    EXPECT_EQ(server->ListeningSocket().WorkerCount(), 0u);
    EXPECT_EQ(testing::SettledCount(testing::ThreadCount, baselineThreads), baselineThreads);
}

TEST_F(ServerLifecycle, SecondServerOnABusyPortFails) {
    TCustomWebServer second;
    second.SetPort(port);
    try {
        second.SetActive(true);
        FAIL() << "two servers listen on one port";
    } catch (const ESocketError& error) {
        EXPECT_STREQ(error.what(), "Socket error: Address already in use (10048), on API 'bind'");
    }
    EXPECT_FALSE(second.Active());
    std::vector<std::unique_ptr<TTransactionLogEntry>> kept;
    second.LogHandler = [&](TServerLog&, std::unique_ptr<TTransactionLogEntry>& entry) { kept.push_back(std::move(entry)); };
    second.Log().DeliverPending();
    ASSERT_EQ(kept.size(), 1u);
    auto& error = dynamic_cast<TErrorTransaction&>(*kept[0]);
    EXPECT_EQ(error.Kind, 3);
    EXPECT_EQ(error.Code, 0);
    EXPECT_EQ(error.Message, "Socket error: Address already in use (10048), on API 'bind'");
    EXPECT_EQ(error.EventText, "ERROR");
}

TEST_F(ServerLifecycle, ListensOnTheLoopbackAddressOnly) {
    // This machine's address on its default route, found without sending anything.
    UniqueFd probe(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    ::inet_pton(AF_INET, "192.0.2.1", &address.sin_addr);
    socklen_t length = sizeof address;
    if (::connect(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        address.sin_addr.s_addr == htonl(INADDR_LOOPBACK))
        GTEST_SKIP() << "no network address besides loopback";
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    EXPECT_NE(::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(errno, ECONNREFUSED);
}

TEST_F(ServerLifecycle, NoThreadOrDescriptorIsLeftAfterSwitchingOff) {
    AddFile("a.txt", "abc");
    for (int i = 0; i < 30; ++i) Exchange("GET /a.txt HTTP/1.0\r\n\r\n");
    server->SetActive(false);
    EXPECT_EQ(testing::SettledCount(testing::ThreadCount, baselineThreads), baselineThreads);
    EXPECT_EQ(testing::SettledCount(testing::OpenDescriptorCount, baselineDescriptors), baselineDescriptors);
}

}  // namespace
}  // namespace quillane
