#include <gtest/gtest.h>

#include <sys/socket.h>

#include <chrono>
#include <thread>

#include "RequestReader.h"
#include "ServerConnection.h"
#include "ServerErrors.h"
#include "ServerTestSupport.h"
#include "WebServer.h"

namespace quillane {
namespace {

using namespace std::chrono_literals;
using testing::TPieceStream;

// A request read from memory; the store it reads the content from lives with it.
struct TReadRequest {
    explicit TReadRequest(std::deque<std::string> pieces) : stream(std::move(pieces)) {
        THTTPParser parser(stream);
        ReadRequest(parser, request);
    }
    TPieceStream stream;
    int lookUps = 0;
    TWebServerRequest request{21888, "127.0.0.1", [this] {
                                  ++lookUps;
                                  return std::string("localhost");
                              }};
};

TEST(RequestFields, PlainGet) {
    TReadRequest read({"GET /temppack11.cab HTTP/1.1\r\nHost: 127.0.0.1:21888\r\n\r\n"});
    TWebServerRequest& r = read.request;
    EXPECT_EQ(r.GetText(fiRequestMethod), "GET");
    EXPECT_EQ(r.MethodKind(), mkGet);
    EXPECT_EQ(r.GetText(fiServerProtocol), "HTTP/1.1");
    EXPECT_EQ(r.GetText(fiPathInfo), "/temppack11.cab");
    EXPECT_EQ(r.GetText(fiQueryString), "");
    EXPECT_EQ(r.GetText(fiHost), "127.0.0.1:21888");
    EXPECT_EQ(r.GetText(fiContentLength), "0");
    EXPECT_EQ(r.GetText(fiServerPort), "21888");
    EXPECT_EQ(r.GetText(fiRemoteAddr), "127.0.0.1");
    // The reverse lookup runs once, when the name is first asked for.
    EXPECT_EQ(read.lookUps, 0);
    EXPECT_EQ(r.GetText(fiRemoteHost), "localhost");
    EXPECT_EQ(r.GetText(fiRemoteHost), "localhost");
    EXPECT_EQ(read.lookUps, 1);
    EXPECT_TRUE(r.ExtraHeaders().empty());
    EXPECT_EQ(r.RawRequestText(), "GET /temppack11.cab HTTP/1.1\r\nHost: 127.0.0.1:21888\r\n\r\n");
}

TEST(RequestFields, RequestLineForms) {
    TReadRequest query({"GET /a?b+c HTTP/1.0\r\n\r\n"});
    EXPECT_EQ(query.request.GetText(fiPathInfo), "/a");
    EXPECT_EQ(query.request.GetText(fiQueryString), "b c");
    TReadRequest encoded({"GET /%41 HTTP/1.0\r\n\r\n"});
    EXPECT_EQ(encoded.request.GetText(fiPathInfo), "/%41");
    TReadRequest root({"GET / HTTP/1.0  \r\n\r\n"});
    EXPECT_EQ(root.request.GetText(fiPathInfo), "");
    EXPECT_EQ(root.request.GetText(fiServerProtocol), "HTTP/1.0");
    TReadRequest head({"HEAD /x HTTP/1.0\r\n\r\n"});
    EXPECT_EQ(head.request.MethodKind(), mkHead);
    TReadRequest post({"post /x HTTP/1.0\r\n\r\n"});
    EXPECT_EQ(post.request.GetText(fiRequestMethod), "POST");
    EXPECT_EQ(post.request.MethodKind(), mkPost);
    TReadRequest put({"PUT /x HTTP/1.0\r\n\r\n"});
    EXPECT_EQ(put.request.MethodKind(), mkPut);
    TReadRequest remove({"DELETE /x HTTP/1.0\r\n\r\n"});
    EXPECT_EQ(remove.request.GetText(fiRequestMethod), "ANY");
    EXPECT_EQ(remove.request.MethodKind(), mkAny);
}

TEST(RequestFields, RequestLineWithoutVersionEndsTheHead) {
    TReadRequest read({"GET /\r\nHost: x\r\n\r\n"});
    EXPECT_EQ(read.request.GetText(fiServerProtocol), "");
    EXPECT_EQ(read.request.GetText(fiPathInfo), "");
    EXPECT_EQ(read.request.GetText(fiHost), "");
}

TEST(RequestFields, OptionsIsReadAsAHeaderName) {
    TReadRequest read({"OPTIONS * HTTP/1.1\r\n\r\n"});
    EXPECT_EQ(read.request.GetText(fiRequestMethod), "");
    EXPECT_EQ(read.request.MethodKind(), mkAny);
    ASSERT_FALSE(read.request.ExtraHeaders().empty());
    EXPECT_EQ(read.request.ExtraHeaders()[0], "OPTIONS=");
}

TEST(RequestFields, HeaderRules) {
    TReadRequest read({"GET /x HTTP/1.1\r\n"
                       "User-Agent: first\r\nUser-Agent: second\r\n"
                       "Accept: a\r\nAccept: b\r\n"
                       "Authorization: Basic dXNlcjpwdw==\r\n"
                       "Content-Type: text/plain\r\nReferer: http://r/\r\nConnection: Keep-Alive\r\nCookie: c=1\r\n"
                       "Cache-Control: no-cache\r\nX-Custom: custom value\r\nFrom: me\r\n\r\n"});
    TWebServerRequest& r = read.request;
    EXPECT_EQ(r.GetText(fiUserAgent), "first");
    EXPECT_EQ(r.GetText(fiAccept), "a, b");
    EXPECT_EQ(r.GetText(fiAuthorization), "dXNlcjpwdw==");
    EXPECT_EQ(r.GetText(fiContentType), "text/plain");
    EXPECT_EQ(r.GetText(fiReferer), "http://r/");
    EXPECT_EQ(r.GetText(fiConnection), "Keep-Alive");
    EXPECT_EQ(r.GetText(fiCookie), "c=1");
    EXPECT_EQ(r.GetText(fiCacheControl), "");
    EXPECT_EQ(r.ExtraHeaders(), (std::vector<std::string>{"Cache-Control=no-cache", "X-Custom=custom value", "From=me"}));
    EXPECT_EQ(r.FieldByName("HTTP_USER_AGENT"), "first");
    EXPECT_EQ(r.FieldByName("http_user_agent"), "first");
    EXPECT_EQ(r.FieldByName("HTTP_HTTP_USER_AGENT"), "first");
    EXPECT_EQ(r.FieldByName("USER_AGENT"), "");
    EXPECT_EQ(r.FieldByName("HTTP_URL"), "");
    r.SetText(fiUrl, "u");
    EXPECT_EQ(r.FieldByName("HTTP_URL"), "u");
    EXPECT_EQ(r.FieldByName("x-custom"), "custom value");
    EXPECT_EQ(r.FieldByName("X-Missing"), "");
}

TEST(RequestFields, LineWithoutColonEndsTheHeadAtItsEnd) {
    TReadRequest read({"GET /x HTTP/1.1\r\nFoo bar\r\nHost: h\r\n\r\n"});
    EXPECT_EQ(read.request.ExtraHeaders(), (std::vector<std::string>{"Foo="}));
    EXPECT_EQ(read.request.GetText(fiHost), "");
}

TEST(RequestFields, ContentLengthThatIsNoInteger) {
    TReadRequest read({"POST /x HTTP/1.1\r\nContent-Length: abc\r\n\r\n"});
    EXPECT_EQ(read.request.GetInteger(fiContentLength), 0);
    EXPECT_THROW(TReadRequest({"POST /x HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n"}), EConvertError);
}

TEST(RequestDates, ThreeFormsGiveTheSameDate) {
    const TDateTime expected = EncodeDateTime({1994, 10, 29, 19, 43, 31, 0});
    for (const std::string value :
         {"Sat, 29 Oct 1994 19:43:31 GMT", "Saturday, 29-Oct-94 19:43:31 GMT", "Sat Oct 29 19:43:31 1994"}) {
        TReadRequest read({"GET /x HTTP/1.0\r\nIf-Modified-Since: " + value + "\r\nHost: h\r\n\r\n"});
        EXPECT_EQ(read.request.GetDate(fiIfModifiedSince), expected) << value;
        EXPECT_EQ(read.request.GetText(fiHost), "h") << value;
        EXPECT_EQ(read.request.ExtraHeaders().at(0), value.back() == '4' ? "1994=" : "GMT=") << value;
        EXPECT_FALSE(read.request.GetText(fiIfModifiedSince).empty());
    }
    TReadRequest date({"GET /x HTTP/1.0\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n\r\n"});
    EXPECT_EQ(date.request.GetDate(fiDate), EncodeDateTime({1994, 11, 6, 8, 49, 37, 0}));
    EXPECT_EQ(date.request.GetDate(fiIfModifiedSince), -1);
}

TEST(RequestDates, UnreadableDatesAreConversionErrors) {
    EXPECT_THROW(TReadRequest({"GET /x HTTP/1.0\r\nIf-Modified-Since: never\r\n\r\n"}), EConvertError);
    EXPECT_THROW(TReadRequest({"GET /x HTTP/1.0\r\nIf-Modified-Since: Sat, 29 Foo 1994 19:43:31 GMT\r\n\r\n"}),
                 EConvertError);
    EXPECT_THROW(TReadRequest({"GET /x HTTP/1.0\r\nIf-Modified-Since: Sat, 31 Feb 1994 19:43:31 GMT\r\n\r\n"}),
                 EConvertError);
    EXPECT_THROW(TReadRequest({"GET /x HTTP/1.0\r\nIf-Modified-Since: Sat, 29 Oct 1994 25:43:31 GMT\r\n\r\n"}),
                 EConvertError);
}

TEST(RequestObject, FieldIndexesAreChecked) {
    TWebServerRequest request(1, "", {});
    for (int bad : {-1, 29, 100}) {
        try {
            request.GetText(bad);
            FAIL() << bad;
        } catch (const EListError& error) {
            EXPECT_STREQ(error.what(), "Index out of bounds");
        }
        EXPECT_THROW(request.SetText(bad, "x"), EListError);
    }
    EXPECT_EQ(request.GetInteger(fiHost), -1);
    request.SetInteger(fiHost, 42);
    EXPECT_EQ(request.GetText(fiHost), "42");
    request.SetText(fiHost, "x");
    EXPECT_THROW(request.GetInteger(fiHost), EConvertError);
    request.SetText(fiRequestMethod, "HEAD");
    request.SetText(fiRequestMethod, "BREW");
    EXPECT_EQ(request.MethodKind(), mkHead);
    EXPECT_EQ(request.MapUri("/a b"), "/a b");
}

TEST(RequestContent, ContentArrivingWithTheHeaders) {
    TReadRequest read({"POST /x HTTP/1.0\r\nContent-Length: 5\r\n\r\nhello"});
    EXPECT_EQ(read.request.ReadContentText(5), "hello");
    char byte;
    EXPECT_EQ(read.request.ReadContent(&byte, 1), 0u);
}

TEST(RequestContent, ContentArrivingAfterTheHeadersIsFieldTwentyFive) {
    TReadRequest read({"POST /x HTTP/1.0\r\nContent-Length: 11\r\n\r\nhel", "lo ", "world"});
    EXPECT_EQ(read.request.GetText(fiContent), "hello world");
    EXPECT_EQ(read.request.GetText(fiContent), "hello world");
    EXPECT_EQ(read.request.RawRequestText(), "POST /x HTTP/1.0\r\nContent-Length: 11\r\n\r\nhello world");
}

TEST(RequestContent, BytesAfterTheContentAreNoContent) {
    TReadRequest read({"POST /x HTTP/1.0\r\nContent-Length: 3\r\n\r\nabcGET /y HTTP/1.0\r\n"});
    EXPECT_EQ(read.request.ReadContentText(100), "abc");
}

TEST(RequestContent, ContentBeyondAFullBufferIsKeptWhole) {
    // The head almost fills the first read, so the content starts behind the last
    // line end that the tokenizer scans.
    const std::string head = "POST /x HTTP/1.0\r\nX-Pad: " + std::string(3900, 'p') + "\r\nContent-Length: 600\r\n\r\n";
    std::string body;
    for (int i = 0; i < 600; ++i) body += static_cast<char>('A' + i % 26);
    TReadRequest read({head + body});
    EXPECT_EQ(read.request.ReadContentText(600), body);
}

TEST(RequestContent, ContentAboveOneMebibyteIsATokenizerError) {
    EXPECT_THROW(TReadRequest({"POST /x HTTP/1.0\r\nContent-Length: 1048577\r\n\r\n"}), EParserError);
    EXPECT_NO_THROW(TReadRequest({"POST /x HTTP/1.0\r\nContent-Length: 1048576\r\n\r\n"}));
}

// The server end of a socket pair, read the way a worker reads it.
class SocketPairRead : public ::testing::Test {
protected:
    void SetUp() override {
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        connection = std::make_unique<TServerConnection>(UniqueFd(ends[0]), sockaddr_in{}, server.Log(),
                                                         server.ReadTimeout());
        client = UniqueFd(ends[1]);
    }
    void ClientSends(const std::string& bytes) {
        ASSERT_EQ(::send(client.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    void Read(TWebServerRequest& request, std::chrono::milliseconds timeout) {
        TSocketStream stream(*connection, timeout);
        THTTPParser parser(stream);
        ReadRequest(parser, request);
    }

    TCustomWebServer server;
    std::unique_ptr<TServerConnection> connection;
    UniqueFd client;
};

TEST_F(SocketPairRead, CompleteRequestInSeveralPackets) {
    std::thread sender([this] {
        ClientSends("POST /temppack11.cab HTTP/1.1\r\n");
        std::this_thread::sleep_for(30ms);
        ClientSends("Host: 127.0.0.1\r\nContent-Length: 6\r\n\r\nab");
        std::this_thread::sleep_for(30ms);
        ClientSends("cdef");
    });
    TWebServerRequest request(80, "127.0.0.1", {});
    Read(request, 5s);
    sender.join();
    EXPECT_EQ(request.MethodKind(), mkPost);
    EXPECT_EQ(request.GetText(fiPathInfo), "/temppack11.cab");
    EXPECT_EQ(request.GetText(fiHost), "127.0.0.1");
    EXPECT_EQ(request.GetText(fiContent), "abcdef");
}

TEST_F(SocketPairRead, ContentThatNeverArrivesStopsAfterOneTimeOut) {
    ClientSends("POST /x HTTP/1.0\r\nContent-Length: 100\r\n\r\nabc");
    TWebServerRequest request(80, "127.0.0.1", {});
    const auto start = std::chrono::steady_clock::now();
    Read(request, 300ms);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 250ms);
    EXPECT_LT(waited, 2s);
    EXPECT_EQ(request.GetText(fiContent), "abc");
}

TEST_F(SocketPairRead, TricklingContentIsCutOffAtOneTimeOutInAll) {
    ClientSends("POST /x HTTP/1.0\r\nContent-Length: 100\r\n\r\n");
    std::atomic<bool> stop = false;
    std::thread trickler([&] {
        for (int i = 0; i < 40 && !stop; ++i) {
            std::this_thread::sleep_for(50ms);
            ::send(client.get(), "x", 1, MSG_NOSIGNAL);
        }
    });
    TWebServerRequest request(80, "127.0.0.1", {});
    const auto start = std::chrono::steady_clock::now();
    Read(request, 400ms);
    const auto waited = std::chrono::steady_clock::now() - start;
    stop = true;
    trickler.join();
    EXPECT_LT(waited, 1s);
    const std::string content = request.GetText(fiContent);
    EXPECT_GT(content.size(), 0u);
    EXPECT_LT(content.size(), 100u);
    EXPECT_EQ(content, std::string(content.size(), 'x'));
}

TEST_F(SocketPairRead, SilentClientGivesAnEmptyRequest) {
    TWebServerRequest request(80, "127.0.0.1", {});
    Read(request, 100ms);
    EXPECT_EQ(request.MethodKind(), mkAny);
    EXPECT_EQ(request.GetText(fiRequestMethod), "");
}

TEST_F(SocketPairRead, InterruptEndsABlockedReadAtOnce) {
    std::thread interrupter([this] {
        std::this_thread::sleep_for(100ms);
        connection->Interrupt();
    });
    TWebServerRequest request(80, "127.0.0.1", {});
    const auto start = std::chrono::steady_clock::now();
    Read(request, 30s);
    interrupter.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(request.MethodKind(), mkAny);
}

}  // namespace
}  // namespace quillane
