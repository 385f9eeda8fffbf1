#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ComponentTestSupport.h"
#include "LoopbackServer.h"
#include "ServerErrors.h"

namespace quillane {
namespace {

using testing::ByteArray;
using testing::ByteText;
using testing::RegisterAnswering;
using testing::TestClassId;
using testing::TTestClient;
using testing::WithoutDate;

// The 500 page for the message, with its date blanked.
std::string ServerErrorAnswer(const std::string& message) {
    const std::string page = "<TITLE>Internal Server Error</TITLE><BODY><H1>Internal Server Error</H1><P>HTTP status "
                             "code: 500<P>HTTP error message: " + message + "</BODY>";
    return "HTTP/1.1 500 " + message + "\r\nDate: *\r\nServer: Quillane Server/1.0\r\nContent-Type: text/html\r\n"
           "Content-Length: " + std::to_string(page.size()) + "\r\nConnection: close\r\nContent:\r\n\r\n" + page;
}

// Answers with a head naming the request's path and host, then a body in two pieces.
void Greet(IAppRequest& request) {
    const std::string path = ByteText(request.GetText(fiPathInfo));
    const std::wstring host = request.FieldByName(L"HTTP_HOST");
    const std::string body = "Hello from " + path;
    request.SendHead(200, ByteArray("200 OK"),
                     ByteArray("Content-Type: text/plain\r\nContent-Length: " + std::to_string(body.size() + 2) +
                               "\r\nX-Stub: " + (request.UsesStub() ? "yes" : "no") + "\r\nX-Host: " +
                               std::string(host.begin(), host.end()) + "\r\n\r\n"));
    request.SendBytes(TVariant(ByteArray(body)));
    request.SendBytes(TVariant(std::wstring(L"!\n")));
}

class ComponentAnswers : public testing::LoopbackServer {};

TEST_F(ComponentAnswers, ARegisteredComponentWritesTheWholeAnswer) {
    const auto hello = RegisterAnswering(TestClassId(1), "Quillane.Hello", "", Greet);
    AddFile("run", "a file named like the rest of the path");
    const std::string host = "localhost:" + std::to_string(port);
    const std::string expected = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 32\r\nX-Stub: yes\r\n"
                                 "X-Host: " + host + "\r\n\r\nHello from /Quillane.Hello/run!\n";
    EXPECT_EQ(Exchange("GET /Quillane.Hello/run HTTP/1.0\r\nHost: " + host + "\r\n\r\n"), expected);

    auto& log = Entries();
    ASSERT_EQ(log.size(), 2u);
    const auto* request = dynamic_cast<TRequestTransaction*>(log[0].get());
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->PathInfo, "/Quillane.Hello/run");
    const auto* response = dynamic_cast<TResponseTransaction*>(log[1].get());
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->Text(), expected);
    EXPECT_EQ(response->Status, "200 OK");
    EXPECT_EQ(response->ContentType, "text/plain");
    EXPECT_EQ(response->ContentLength, 32);
}

TEST_F(ComponentAnswers, TheComponentReadsThePostedContent) {
    const auto echo = RegisterAnswering(TestClassId(2), "Quillane.Echo", "", [](IAppRequest& request) {
        TByteArray first;
        request.ReadContent(first, 4);
        const TByteArray rest = request.ReadContentText(100);
        request.SendHead(0, ByteArray("201 Created"), ByteArray("\r\n"));
        request.SendBytes(TVariant(rest));
        request.SendBytes(TVariant(first));
    });
    EXPECT_EQ(Exchange("POST /quillane.echo HTTP/1.0\r\nContent-Length: 10\r\n\r\n0123456789"),
              "HTTP/1.1 201 Created\r\n\r\n4567890123");
}

TEST_F(ComponentAnswers, ClassIdentifiersInBraces) {
    AddFile("x", "not this file");
    EXPECT_EQ(WithoutDate(Exchange("GET /{00000000-0000-0000-0000-000000000000}/x HTTP/1.0\r\n\r\n")),
              ServerErrorAnswer("Class not registered"));
    const auto hello = RegisterAnswering(TestClassId(3), "", "", Greet);
    const std::string answer = Exchange("GET /{5A111E00-0001-4000-8000-000000000003}/x HTTP/1.0\r\n\r\n");
    EXPECT_NE(answer.find("\r\n\r\nHello from /{5A111E00-0001-4000-8000-000000000003}/x!\n"), std::string::npos)
        << answer;
}

TEST_F(ComponentAnswers, PackAndScriptPathsStillServeFiles) {
    AddFile("temppack11.cab", "the pack bytes");
    AddFile("script.js", "alert(1)");
    // A script name is never a programmatic identifier, even a registered one.
    const auto script = RegisterAnswering(TestClassId(4), "script.js", "script.js", Greet);
    const auto hello = RegisterAnswering(TestClassId(5), "Quillane.Hello", "hello.exe", Greet);
    const std::string pack = Exchange("GET /temppack11.cab HTTP/1.0\r\n\r\n");
    EXPECT_EQ(pack.find("HTTP/1.1 200 OK\r\n"), 0u) << pack;
    EXPECT_NE(pack.find("\r\nContent-Length: 14\r\n"), std::string::npos) << pack;
    EXPECT_NE(pack.find("\r\n\r\nthe pack bytes"), std::string::npos) << pack;
    const std::string js = Exchange("GET /script.js HTTP/1.0\r\n\r\n");
    EXPECT_EQ(js.find("HTTP/1.1 200 OK\r\n"), 0u) << js;
    EXPECT_NE(js.find("\r\n\r\nalert(1)"), std::string::npos) << js;
}

TEST_F(ComponentAnswers, ExecutableNamesAndProgrammaticIdentifiersFindTheirComponents) {
    const auto byExecutable = RegisterAnswering(TestClassId(6), "", "/usr/lib/quillane/Packs.exe", Greet);
    const auto byProgId = RegisterAnswering(TestClassId(7), "Quillane.Packs", "", Greet);
    EXPECT_NE(Exchange("GET /packs.EXE/list HTTP/1.0\r\n\r\n").find("\r\n\r\nHello from /packs.EXE/list!\n"),
              std::string::npos);
    EXPECT_NE(Exchange("GET /QUILLANE.PACKS HTTP/1.0\r\n\r\n").find("\r\n\r\nHello from /QUILLANE.PACKS!\n"),
              std::string::npos);
    EXPECT_EQ(Exchange("GET /other.exe HTTP/1.0\r\n\r\n").find("HTTP/1.1 404 Not Found\r\n"), 0u);
}

TEST_F(ComponentAnswers, FailuresGetTheServerErrorPageWithTheirText) {
    struct Case {
        const char* name;
        TComponentFactory factory;
        std::string message;
    };
    const auto answering = [](std::function<void(IAppRequest&)> answer) {
        return [answer] { return std::make_unique<testing::TAnsweringComponent>(answer); };
    };
    const std::vector<Case> cases = {
        {"raises", answering([](IAppRequest&) { throw std::runtime_error("The pack shelf is empty"); }),
         "The pack shelf is empty"},
        // Even a failure that looks like the server's own unreadable request is the component's.
        {"parser", answering([](IAppRequest&) { throw EParserError("Line too long on line 1"); }),
         "Line too long on line 1"},
        {"foreign", answering([](IAppRequest&) { throw 42; }), "Unspecified error"},
        {"variant", answering([](IAppRequest& request) { request.SendBytes(TVariant(std::int32_t{1})); }),
         "Unknown variant type"},
        {"index", answering([](IAppRequest& request) { request.GetText(29); }), "Index out of bounds"},
        {"plain", [] { return std::make_unique<testing::TPlainObject>(); }, "Interface not supported"},
        {"nothing", [] { return std::unique_ptr<IComponentObject>(); }, "Interface not supported"},
        {"uncreatable", []() -> std::unique_ptr<IComponentObject> { throw std::runtime_error("No room for it"); },
         "No room for it"},
    };
    for (const Case& c : cases) {
        const auto registration = TComponentRegistry::System().Register({TestClassId(8), c.name, "", c.factory});
        EXPECT_EQ(WithoutDate(Exchange("GET /" + std::string(c.name) + " HTTP/1.0\r\n\r\n")),
                  ServerErrorAnswer(c.message))
            << c.name;
    }
}

TEST_F(ComponentAnswers, WhatWasWrittenBeforeAFailureStaysLoggedAheadOfThePage) {
    const auto partial = RegisterAnswering(TestClassId(9), "Quillane.Partial", "", [](IAppRequest& request) {
        request.SendHead(200, ByteArray("200 OK"), ByteArray("X-A: 1\r\n\r\n"));
        throw std::runtime_error("Gave up");
    });
    const std::string head = "HTTP/1.1 200 OK\r\nX-A: 1\r\n\r\n";
    EXPECT_EQ(WithoutDate(Exchange("GET /Quillane.Partial HTTP/1.0\r\n\r\n")), head + ServerErrorAnswer("Gave up"));
    auto& log = Entries();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1]->Text(), head);
    EXPECT_EQ(dynamic_cast<TResponseTransaction&>(*log[2]).Status, "500 Gave up");
}

TEST_F(ComponentAnswers, AnUnregisteredComponentLeavesTheFileToBeServed) {
    AddFile("page.html", "<p>file</p>");
    auto page = std::make_unique<TComponentRegistration>(RegisterAnswering(TestClassId(10), "page.html", "", Greet));
    EXPECT_NE(Exchange("GET /page.html HTTP/1.0\r\n\r\n").find("Hello from /page.html!\n"), std::string::npos);
    page.reset();
    const std::string answer = Exchange("GET /page.html HTTP/1.0\r\n\r\n");
    EXPECT_EQ(answer.find("HTTP/1.1 200 OK\r\n"), 0u) << answer;
    EXPECT_NE(answer.find("\r\n\r\n<p>file</p>"), std::string::npos) << answer;
}

// Many clients at once reach one component while other registrations come and go.
TEST_F(ComponentAnswers, ConcurrentRequestsAndRegistrations) {
    const auto echo = RegisterAnswering(TestClassId(11), "Quillane.Query", "", [](IAppRequest& request) {
        request.SendHead(200, ByteArray("200 OK"), ByteArray("\r\n"));
        request.SendBytes(TVariant(request.GetText(fiQueryString)));
    });
    std::atomic<bool> stop = false;
    std::thread churn([&] {
        for (std::uint8_t i = 0; !stop; ++i) {
            const auto other = RegisterAnswering(TestClassId(12), "Quillane.Other" + std::to_string(i), "o.exe", Greet);
            std::this_thread::yield();
        }
    });
    std::atomic<int> good = 0;
    std::vector<std::thread> clients;
    for (int c = 0; c < 8; ++c)
        clients.emplace_back([&, c] {
            for (int r = 0; r < 25; ++r) {
                const std::string query = std::to_string(c) + "-" + std::to_string(r);
                TTestClient client(port);
                good += client.Exchange("GET /Quillane.Query?" + query + " HTTP/1.0\r\n\r\n") ==
                        "HTTP/1.1 200 OK\r\n\r\n" + query;
            }
        });
    for (auto& client : clients) client.join();
    stop = true;
    churn.join();
    EXPECT_EQ(good, 200);
}

}  // namespace
}  // namespace quillane
