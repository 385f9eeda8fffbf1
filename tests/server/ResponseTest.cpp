#include <gtest/gtest.h>

#include "ServerTestSupport.h"
#include "TempFolder.h"
#include "WebServer.h"
#include "WebServerResponse.h"

namespace quillane {
namespace {

using testing::TMemoryConnection;

// A response written to memory for a request that names HTTP/1.0.
class ResponseToMemory : public ::testing::Test {
protected:
    ResponseToMemory() {
        request.SetText(fiServerProtocol, "HTTP/1.0");
        request.SetConnection(&connection);
        server.LogHandler = [this](TServerLog&, std::unique_ptr<TTransactionLogEntry>& entry) {
            logged.push_back(std::move(entry));
        };
    }
    std::unique_ptr<TWebServerResponse> NewResponse() {
        auto response = std::make_unique<TWebServerResponse>(request, &connection, server.Log());
        response->Date = EncodeDateTime({2005, 1, 5, 10, 20, 30, 0});
        return response;
    }

    TCustomWebServer server;
    TMemoryConnection connection;
    TWebServerRequest request{80, "127.0.0.1", {}};
    std::vector<std::unique_ptr<TTransactionLogEntry>> logged;
};

TEST_F(ResponseToMemory, ValuesAtCreation) {
    const TDateTime before = ToGmt(LocalNow());
    TWebServerResponse response(request, &connection, server.Log());
    EXPECT_EQ(response.StatusCode(), 200);
    EXPECT_EQ(response.ReasonPhrase, "OK");
    EXPECT_EQ(response.Server, "Quillane Server/1.0");
    EXPECT_GE(response.Date, before);
    EXPECT_LT(response.Date - before, 1.0 / 24 / 60);
    EXPECT_EQ(response.Expires, -1);
    EXPECT_EQ(response.LastModified, -1);
    EXPECT_EQ(response.ContentLength(), 0);
    EXPECT_TRUE(response.Location.empty() && response.ContentType.empty() && response.ContentText().empty());
    EXPECT_FALSE(response.HasContentStream());
}

TEST_F(ResponseToMemory, StatusCodesAndPhrases) {
    auto response = NewResponse();
    response->ReasonPhrase = "Kept";
    response->SetStatusCode(200);
    EXPECT_EQ(response->ReasonPhrase, "Kept");
    response->SetStatusCode(404);
    EXPECT_EQ(response->ReasonPhrase, "Not Found");
    response->SetStatusCode(299);
    EXPECT_EQ(response->ReasonPhrase, "Not Found");
    EXPECT_EQ(StatusPhrase(203), "Non-Authoritative Information");
    EXPECT_EQ(StatusPhrase(412), "Unless True");
    EXPECT_EQ(StatusPhrase(504), "Gateway Timeout");
    EXPECT_EQ(StatusPhrase(299), "");
    auto fresh = NewResponse();
    fresh->SetStatusCode(299);
    fresh->WriteResponse();
    EXPECT_EQ(connection.bytes.rfind("HTTP/1.1 299 OK\r\n", 0), 0u);
}

TEST_F(ResponseToMemory, EveryHeaderInItsOrder) {
    auto response = NewResponse();
    response->Location = "http://x/";
    response->WwwAuthenticate = "Basic";
    response->Realm = "packs";
    response->Allow = "GET";
    response->ContentVersion = "2";
    response->DerivedFrom = "1";
    response->Expires = EncodeDateTime({2005, 2, 1, 0, 0, 0, 0});
    response->LastModified = EncodeDateTime({2004, 12, 31, 23, 59, 59, 0});
    response->Title = "T";
    response->ContentEncoding = "gzip";
    response->ContentType = "text/plain";
    response->SetContentText("body");
    response->WriteResponse();
    EXPECT_EQ(connection.bytes,
              "HTTP/1.1 200 OK\r\nLocation: http://x/\r\nDate: Wed, 05 Jan 2005 10:20:30 GMT\r\n"
              "Server: Quillane Server/1.0\r\nWWW-Authenticate: BasicRealm=\"packs\"\r\nAllow: GET\r\n"
              "Content-Version: 2\r\nDerived-From: 1\r\nExpires: Tue, 01 Feb 2005 00:00:00 GMT\r\n"
              "Last-Modified: Fri, 31 Dec 2004 23:59:59 GMT\r\nTitle: T\r\nContent-Encoding: gzip\r\n"
              "Content-Type: text/plain\r\nContent-Length: 4\r\nConnection: close\r\nContent:\r\n\r\nbody");
    EXPECT_EQ(connection.sends, 1);
}

TEST_F(ResponseToMemory, AuthenticationLines) {
    auto alone = NewResponse();
    alone->Server.clear();
    alone->Date = -1;
    alone->WwwAuthenticate = "Basic";
    alone->WriteResponse();
    EXPECT_EQ(connection.bytes, "HTTP/1.1 200 OK\r\nWWW-Authenticate: Basic\r\nConnection: close\r\nContent:\r\n\r\n");
    connection.bytes.clear();
    auto realm = NewResponse();
    realm->Server.clear();
    realm->Date = 0;
    realm->Realm = "r";
    realm->ReasonPhrase.clear();
    realm->SetStatusCode(0);
    realm->WriteResponse();
    EXPECT_EQ(connection.bytes, "HTTP/1.1 200 OK\r\nRealm=\"r\"\r\nConnection: close\r\nContent:\r\n\r\n");
}

TEST_F(ResponseToMemory, RequestWithoutVersionGetsTheBodyAlone) {
    request.SetText(fiServerProtocol, "");
    auto response = NewResponse();
    response->SetContentText("just this");
    response->WriteResponse();
    EXPECT_EQ(connection.bytes, "just this");
}

TEST_F(ResponseToMemory, FileBodyGoesOutInPiecesAndStaysOutOfTheLog) {
    testing::TempFolder folder;
    std::string bytes(150000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
    testing::WriteFile(folder.File("f.bin"), bytes);
    {
        auto response = NewResponse();
        response->SetContentStream(std::make_unique<TFileStream>(folder.File("f.bin")));
        EXPECT_EQ(response->ContentLength(), 150000);
        response->WriteResponse();
        EXPECT_FALSE(response->HasContentStream());
    }
    const std::string head = "HTTP/1.1 200 OK\r\nDate: Wed, 05 Jan 2005 10:20:30 GMT\r\nServer: Quillane Server/1.0\r\n"
                             "Content-Length: 150000\r\nConnection: close\r\nContent:\r\n\r\n";
    EXPECT_EQ(connection.bytes, head + bytes);
    EXPECT_EQ(connection.sends, 1 + 3);  // the head, then 65536 + 65536 + 18928
    server.Log().DeliverPending();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0]->Text(), head);
    EXPECT_EQ(request.TakeSentText(), "");
}

TEST_F(ResponseToMemory, FailingSendsRaiseNothing) {
    connection.failSends = true;
    testing::TempFolder folder;
    testing::WriteFile(folder.File("f.bin"), std::string(9000, 'x'));
    auto response = NewResponse();
    response->SetContentStream(std::make_unique<TFileStream>(folder.File("f.bin")));
    EXPECT_NO_THROW(response->WriteResponse());
    EXPECT_EQ(connection.sends, 2);  // the head, then the first piece fails and the body stops
}

TEST_F(ResponseToMemory, UnsentStreamIsFreedWithTheResponse) {
    testing::TempFolder folder;
    testing::WriteFile(folder.File("f.bin"), "x");
    const std::size_t before = testing::OpenDescriptorCount();
    {
        auto response = NewResponse();
        response->SetContentStream(std::make_unique<TFileStream>(folder.File("f.bin")));
        EXPECT_EQ(testing::OpenDescriptorCount(), before + 1);
    }
    EXPECT_EQ(testing::OpenDescriptorCount(), before);
    EXPECT_THROW(TFileStream(folder.File("missing")), EFOpenError);
    EXPECT_THROW(TFileStream(folder.Folder()), EFOpenError);
}

TEST_F(ResponseToMemory, Redirect) {
    auto response = NewResponse();
    response->WriteRedirect("http://h/p");
    const std::string page = "<html><title>Document Moved 302</title>\r\n<body><h1>Object Moved</h1><hr>\r\n"
                             "This Object may be found <a HREF=\"http://h/p\">here.</a><br>\r\n<br></body></html>\r\n";
    EXPECT_EQ(connection.bytes, "HTTP/1.1 302 Moved Temporarily\r\nLocation: http://h/p\r\nDate: Wed, 05 Jan 2005 "
                                "10:20:30 GMT\r\nServer: Quillane Server/1.0\r\nContent-Type: text/html\r\n"
                                "Content-Length: " + std::to_string(page.size()) + "\r\nConnection: close\r\nContent:\r\n\r\n" + page);
}

}  // namespace
}  // namespace quillane
