#include "ClientFixture.h"
#include "ScriptedServer.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace quillane;
using namespace quillane::testing;

namespace {

using GetRequests = ClientTest;
using GetRedirects = ClientTest;
using GetAnswers = ClientTest;
using GetFailures = ClientTest;

}  // namespace

TEST_F(GetRequests, SendsTheRequestAndWritesTheBody) {
    const std::string answer = Answer("200 OK", "Content-Length: 5\r\nServer: scripted\r\n", "hello");
    ScriptedServer server({Reply(answer)});
    client.Get(server.Url("/packs/a%20b.qzk"));

    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], RequestFor("/packs/a%20b.qzk", server.Authority()));
    EXPECT_EQ(Downloaded(), "hello");
    EXPECT_EQ(client.StatusCode(), 200);
    EXPECT_EQ(client.ContentLength(), 5);
    EXPECT_EQ(client.ReceivedBytes(), 5);
    EXPECT_EQ(client.Header(), answer.substr(0, answer.size() - 5));
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(client.Host(), "127.0.0.1");
    EXPECT_EQ(client.Port(), server.Port());
}

TEST_F(GetRequests, AServerOnlyUrlAsksForTheRootAndHostNamesThePort) {
    ScriptedServer server({Reply(Answer("200 OK", "", "root"))});
    client.Get("http://localhost:" + std::to_string(server.Port()));
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], RequestFor("/", "localhost:" + std::to_string(server.Port())));
    EXPECT_EQ(Downloaded(), "root");
}

TEST_F(GetRequests, ThroughAProxyTheRequestNamesTheWholeUrl) {
    ScriptedServer proxy({Reply(Answer("200 OK", "", "via proxy"))});
    client.SetProxy("127.0.0.1");
    client.SetProxyPort(proxy.Port());
    client.Get("http://packs.example/download/a.qzk");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0],
              "GET http://packs.example/download/a.qzk HTTP/1.0\r\n"
              "Proxy-Connection: Keep-Alive\r\n"
              "Host: packs.example\r\n"
              "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
              "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
              "Content-type: application/x-www-form-urlencoded\r\n"
              "\r\n");
    EXPECT_EQ(Downloaded(), "via proxy");
}

TEST_F(GetRequests, TheClientCanBeUsedAgainAtOnce) {
    ScriptedServer server({Reply(Answer("200 OK", "", "one")), Reply(Answer("200 OK", "", "two"))});
    client.Disconnect();
    client.Get(server.Url("/1"));
    EXPECT_EQ(Downloaded(), "one");
    client.Disconnect();
    client.Disconnect();
    client.Get(server.Url("/2"));
    EXPECT_EQ(Downloaded(), "two");
    EXPECT_EQ(server.Connections(), 2);
}

TEST_F(GetRedirects, AFullLocationIsFollowedAndItsCookieGoesOnlyToTheHostThatSetIt) {
    ScriptedServer target({Reply(Answer("200 OK", "", "moved here")), Reply(Answer("200 OK", "", "later"))});
    const std::string location = "http://localhost:" + std::to_string(target.Port()) + "/new/place.qzk";
    ScriptedServer first({Reply(Answer("301 Moved Permanently",
                                       "Set-Cookie: visit=42; path=/\r\nLocation: " + location + "\r\n",
                                       "<html>moved</html>"))});
    client.Get(first.Url("/old.qzk"));

    EXPECT_EQ(first.Requests().at(0), RequestFor("/old.qzk", first.Authority()));
    ASSERT_EQ(target.Requests().size(), 1u);
    // 127.0.0.1 set the cookie; localhost is another host to the client.
    EXPECT_EQ(target.Requests()[0], RequestFor("/new/place.qzk", "localhost:" + std::to_string(target.Port())));
    EXPECT_EQ(Downloaded(), "moved here");
    EXPECT_EQ(client.StatusCode(), 200);
    EXPECT_EQ(client.HeaderInfo().Cookie, "visit=42");
    EXPECT_NE(client.Header().find("HTTP/1.0 301 Moved Permanently\r\n"), std::string::npos);

    // A later request to the host that set it carries its name and value, without attributes.
    client.Get(target.Url("/other"));
    EXPECT_EQ(target.Requests().at(1), RequestFor("/other", target.Authority(), "visit=42"));
}

TEST_F(GetRedirects, LongPathsLocationsAndCookiesAreSentWhole) {
    const std::string path = "/" + std::string(1000, 'p') + ".qzk";
    const std::string location = "/" + std::string(3000, 'l') + ".qzk";
    const std::string cookie = "session=" + std::string(3000, 'c');
    ScriptedServer server({Reply(Answer("302 Found", "Set-Cookie: " + cookie + "; path=/\r\nLocation: " + location + "\r\n", "")),
                           Reply(Answer("200 OK", "", "the right one"))});
    client.Get(server.Url(path));
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[0], RequestFor(path, server.Authority()));
    EXPECT_EQ(server.Requests()[1], RequestFor(location, server.Authority(), cookie));
    EXPECT_EQ(Downloaded(), "the right one");
}

TEST_F(GetRedirects, RelativeLocationsLeadFromTheAddressThatAnswered) {
    ScriptedServer server({Reply(Answer("302 Found", "Location: sub.txt\r\n", "")),
                           Reply(Answer("302 Found", "Location: b/../other.txt\r\n", "")),
                           Reply(Answer("302 Found", "Location: /file?at=12:00\r\n", "")),
                           Reply(Answer("302 Found", "Location: /x?next=https://y/\r\n", "")),
                           Reply(Answer("200 OK", "", "relative"))});
    client.Get(server.Url("/deep/down/page.htm"));
    const std::vector<std::string> expected = {"/deep/down/page.htm", "/deep/down/sub.txt", "/deep/down/other.txt",
                                               "/file?at=12:00", "/x?next=https://y/"};
    ASSERT_EQ(server.Requests().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(server.Requests()[i], RequestFor(expected[i], server.Authority()));
    EXPECT_EQ(Downloaded(), "relative");
}

TEST_F(GetRedirects, ALocationStartingWithASlashStaysOnTheServer) {
    ScriptedServer server({Reply(Answer("301 Moved", "Location: /elsewhere/x.qzk\r\n", "")),
                           Reply(Answer("200 OK", "", "same server"))});
    client.Get(server.Url("/x.qzk"));
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1], RequestFor("/elsewhere/x.qzk", server.Authority()));
    EXPECT_EQ(Downloaded(), "same server");
}

TEST_F(GetRedirects, ABareCarriageReturnInLocationOrCookieAddsNoRequestLine) {
    ScriptedServer server({Reply(Answer("302 Found", "Set-Cookie: a=1\rX-Injected: 2\r\nLocation: /b\rX-Too\r\n", "")),
                           Reply(Answer("200 OK", "", "clean"))});
    client.Get(server.Url("/a"));
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1], RequestFor("/b X-Too", server.Authority(), "a=1 X-Injected: 2"));
    EXPECT_EQ(Downloaded(), "clean");
}

TEST_F(GetRedirects, SeeOtherTemporaryAndPermanentRedirectsAreFollowed) {
    ScriptedServer server({Reply(Answer("303 See Other", "Location: /b\r\n", "page of 303")),
                           Reply(Answer("307 Temporary Redirect", "Location: /c\r\n", "page of 307")),
                           Reply(Answer("308 Permanent Redirect", "Location: /d\r\n", "page of 308")),
                           Reply(Answer("200 OK", "", "arrived"))});
    client.Get(server.Url("/a"));
    ASSERT_EQ(server.Requests().size(), 4u);
    EXPECT_EQ(server.Requests()[3], RequestFor("/d", server.Authority()));
    EXPECT_EQ(client.StatusCode(), 200);
    EXPECT_EQ(Downloaded(), "arrived");
}

TEST_F(GetRedirects, ARedirectLoopFailsAfterTwentyRedirects) {
    PutEarlierDownload();
    ScriptedServer server({Reply(Answer("301 Moved", "Location: /round\r\n", ""))});
    EXPECT_EQ(FailureOf(server.Url("/round")), "The server 127.0.0.1 redirected the download more than 20 times; it was given up.");
    EXPECT_EQ(server.Requests().size(), 21u);
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(GetRedirects, OtherAnswersOfThreeHundredAreFinal) {
    ScriptedServer server({Reply(Answer("300 Multiple Choices", "Location: /ignored\r\n", "choose"))});
    client.Get(server.Url("/choices"));
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(client.StatusCode(), 300);
}

TEST_F(GetRedirects, ARedirectWithoutLocationIsFinalAndItsPageIsNotKept) {
    PutEarlierDownload();
    ScriptedServer server({Reply(Answer("301 Moved", "", "nowhere"))});
    client.Get(server.Url("/gone"));
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(client.StatusCode(), 301);
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(GetAnswers, AnErrorPageLeavesTheFileAsItWas) {
    PutEarlierDownload();
    const std::string page = "<html><body>404 Not Found</body></html>";
    ScriptedServer server({Reply(Answer("404 Not Found", "Content-Type: text/html\r\n", page))});
    client.Get(server.Url("/missing.qzk"));
    EXPECT_EQ(client.StatusCode(), 404);
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(GetAnswers, ContentLengthIsReadDespiteExtraSpacesAndZeroWhenMissing) {
    ScriptedServer server({Reply(Answer("200 OK", "Content-Length:  12\r\n", "twelve bytes")),
                           Reply(Answer("200 OK", "Content-Type: text/plain\r\n", "no length"))});
    client.Get(server.Url("/a"));
    EXPECT_EQ(client.ContentLength(), 12);
    client.Get(server.Url("/b"));
    EXPECT_EQ(client.ContentLength(), 0);
    EXPECT_EQ(Downloaded(), "no length");
    EXPECT_EQ(client.ReceivedBytes(), 9);
}

TEST_F(GetFailures, AHeaderCutShortLeavesTheFileAsItWas) {
    PutEarlierDownload();
    ScriptedServer server({Reply("HTTP/1.0 200 OK\r\nContent-Length: 10\r\nContent-Ty")});
    EXPECT_EQ(FailureOf(server.Url("/cut")), "The server 127.0.0.1 closed the connection before its answer was complete.");
    EXPECT_EQ(client.Header(), "HTTP/1.0 200 OK\r\nContent-Length: 10\r\nContent-Ty");
    EXPECT_EQ(client.StatusCode(), 0);
    EXPECT_EQ(Downloaded(), kEarlier);
    EXPECT_FALSE(client.Connected());
}

TEST_F(GetFailures, AReplyThatIsNotHttp) {
    PutEarlierDownload();
    ScriptedServer server({Reply("<html><body>an old server</body></html>\r\n")});
    EXPECT_EQ(FailureOf(server.Url("/old")), "The server 127.0.0.1 sent a reply that is not HTTP.");
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(GetAnswers, BareLineFeedsEndLinesAndTheHeader) {
    ScriptedServer server({Reply("HTTP/1.0 200 OK\nContent-Length: 3\n\nabc")});
    client.Get(server.Url("/lf"));
    EXPECT_EQ(client.StatusCode(), 200);
    EXPECT_EQ(client.ContentLength(), 3);
    EXPECT_EQ(Downloaded(), "abc");
}

TEST_F(GetAnswers, WithoutFileModesBodyAndHeaderAreText) {
    client.SetInputFileMode(false);
    client.SetOutputFileMode(true);
    client.SetHeader(folder.File("Head.txt"));
    ScriptedServer server({Reply(Answer("200 OK", "X-A: 1\r\n", "in memory"))});
    client.Get(server.Url("/m"));
    EXPECT_EQ(client.Body(), "in memory");
    EXPECT_EQ(ReadFile(folder.File("Head.txt")), "HTTP/1.0 200 OK\r\nX-A: 1\r\n\r\n");
}

TEST_F(GetAnswers, EveryBlockRaisesOnPacketRecvd) {
    const std::string body(300000, 'p');
    ScriptedServer server({Reply(Answer("200 OK", "Content-Length: 300000\r\n", body))});
    std::vector<int64_t> progress;
    client.OnPacketRecvd = [&](THttpClient& sender) {
        EXPECT_EQ(&sender, &client);
        progress.push_back(sender.ReceivedBytes());
    };
    client.Get(server.Url("/big"));
    ASSERT_GE(progress.size(), 300000 / TSocketClient::kBufferSize);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 300000);
    EXPECT_EQ(Downloaded(), body);
}

TEST_F(GetFailures, ARefusedConnection) {
    const int port = UnusedPort();
    try {
        client.Get("http://127.0.0.1:" + std::to_string(port) + "/x");
        FAIL() << "no exception";
    } catch (const EAbortError&) {
        FAIL() << "wrong class";
    } catch (const ESockError& error) {
        EXPECT_STREQ(error.what(), "Connection Failed");
        EXPECT_EQ(error.Code(), 10061);
    }
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(std::filesystem::exists(BodyFile()));

    // The client holds a fresh socket and works at once.
    ScriptedServer server({Reply(Answer("200 OK", "", "after"))});
    client.Get(server.Url("/y"));
    EXPECT_EQ(Downloaded(), "after");
}

TEST_F(GetFailures, PortsOutsideTheRangeAreNotWrappedAround) {
    ScriptedServer server({Reply(Answer("200 OK", "", "wrong server"))});
    for (const int port : {0, server.Port() + 65536}) {
        const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/x";
        EXPECT_EQ(FailureOf(url), "The port in the address " + url + " is not a number from 1 to 65535.");
    }
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(GetFailures, AddressesThatLeadNowhereAreRefusedInPlainWords) {
    const auto message = [this](const std::string& url) {
        try {
            client.Get(url);
        } catch (const ESockError& error) {
            return std::string(error.what());
        }
        return std::string("no exception");
    };
    EXPECT_EQ(message(""), "No address was given to download from.");
    EXPECT_EQ(message("http://127.0.0.1:eighty/a.qzk"),
              "The port in the address http://127.0.0.1:eighty/a.qzk is not a number from 1 to 65535.");
    EXPECT_EQ(message("/index.htm"), "The address /index.htm is not an http or https address.");
    EXPECT_EQ(message("ftp://files.example/a.qzk"), "The address ftp://files.example/a.qzk is not an http or https address.");
    EXPECT_EQ(message("http:///a.qzk"), "The address http:///a.qzk names no server.");
    EXPECT_EQ(message("http://me@127.0.0.1/a.qzk"),
              "The address http://me@127.0.0.1/a.qzk holds a user name, which this program does not send.");
    // A proxy would see a secure address in the clear: refused before anything is sent.
    client.SetProxy("127.0.0.1");
    client.SetProxyPort(UnusedPort());
    EXPECT_EQ(message("https://secure.example/a.qzk"), "Secure addresses cannot be fetched through a proxy");
}

TEST_F(GetRequests, AnEmptyPortIsTheSchemesOwn) {
    ScriptedServer proxy({Reply(Answer("200 OK", "", "port 80"))});
    client.SetProxy("127.0.0.1");
    client.SetProxyPort(proxy.Port());
    client.Get("http://packs.example:/a.qzk");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0].substr(0, proxy.Requests()[0].find('\r')), "GET http://packs.example/a.qzk HTTP/1.0");
    EXPECT_EQ(client.Port(), 80);
    EXPECT_EQ(Downloaded(), "port 80");
}

TEST_F(GetFailures, AHostNameThatDoesNotResolve) {
    // An empty label fails inside the resolver, without asking any name server.
    try {
        client.Get("http://bad..name/a.qzk");
        FAIL() << "no exception";
    } catch (const ESockError& error) {
        EXPECT_STREQ(error.what(), "The server bad..name could not be found.");
        EXPECT_EQ(error.Code(), 11001);
    }
    EXPECT_FALSE(std::filesystem::exists(BodyFile()));
}

TEST_F(GetFailures, AResetConnectionReportsItsWinSockCodeAndLeavesTheFileAsItWas) {
    PutEarlierDownload();
    ScriptedServer server({[](ServerConnection& connection) {
        connection.ReadRequest();
        connection.Send(Answer("200 OK", "Content-Length: 100\r\n", "part"));
        connection.Reset();
    }});
    try {
        client.Get(server.Url("/reset"));
        FAIL() << "no exception";
    } catch (const ESockError& error) {
        EXPECT_STREQ(error.what(), "10054:Connection reset by peer");
        EXPECT_EQ(error.Code(), 10054);
    }
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(Downloaded(), kEarlier);
}

TEST_F(GetFailures, AHeaderLineThatNeverEndsIsRefused) {
    ScriptedServer server({Reply("HTTP/1.0 200 OK\r\nX-Long: " + std::string(70000, 'x'))});
    try {
        client.Get(server.Url("/long-line"));
        FAIL() << "no exception";
    } catch (const ESockError& error) {
        EXPECT_STREQ(error.what(), "A line from 127.0.0.1 is longer than 65536 bytes");
    }
}

TEST_F(GetFailures, ARequestTooLongForOneWriteIsNotSent) {
    ScriptedServer server({Reply(Answer("200 OK", "", ""))});
    client.SetProxy("127.0.0.1");
    client.SetProxyPort(server.Port());
    try {
        client.Get("http://h.example/" + std::string(70000, 'a'));
        FAIL() << "no exception";
    } catch (const ESockError& error) {
        EXPECT_STREQ(error.what(),
                     "The request to h.example would be longer than 65535 bytes: its address or cookie is too long");
    }
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(GetFailures, TheBodyFileMustBeWritable) {
    ScriptedServer server({Reply(Answer("200 OK", "", "data"))});
    client.SetBody(folder.File("no/such/folder/file"));
    try {
        client.Get(server.Url("/a"));
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + folder.File("no/such/folder/file") + "\"", 0), 0u)
            << error.what();
    }
    // A device is never replaced by a file.
    client.SetBody("/dev/full");
    EXPECT_EQ(FailureOf(server.Url("/b")), "Cannot write file \"/dev/full\": it is not a regular file");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    EXPECT_FALSE(client.Connected());
}

TEST_F(GetFailures, AFileThatCannotBeWrittenWholeLeavesTheEarlierOne) {
    PutEarlierDownload();
    ScriptedServer server({Reply(Answer("200 OK", "", std::string(4096, 'x')))});
    // Files of this process may grow to 1000 bytes; a write past that fails
    // (instead of raising SIGXFSZ) as on a full disk.
    struct FileSizeLimit {
        rlimit before{};
        FileSizeLimit() {
            ::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &before);
            const rlimit small{1000, before.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ~FileSizeLimit() {
            ::setrlimit(RLIMIT_FSIZE, &before);
            ::signal(SIGXFSZ, SIG_DFL);
        }
    };
    std::string failure;
    {
        const FileSizeLimit limit;
        failure = FailureOf(server.Url("/big"));
    }
    EXPECT_EQ(failure, "Cannot write file \"" + BodyFile() + "\": File too large");
    EXPECT_EQ(Downloaded(), kEarlier);
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), std::filesystem::directory_iterator()), 1);
}

TEST_F(GetFailures, AGetFromInsideAGetIsRefused) {
    ScriptedServer server({Reply(Answer("200 OK", "", "outer"))});
    std::string inner;
    client.OnPacketRecvd = [&](THttpClient& sender) {
        try {
            sender.Get(server.Url("/inner"));
        } catch (const ESockError& error) {
            inner = error.what();
        }
    };
    client.Get(server.Url("/outer"));
    EXPECT_EQ(inner, "Already connected");
    EXPECT_EQ(Downloaded(), "outer");
    EXPECT_EQ(server.Connections(), 1);
}
