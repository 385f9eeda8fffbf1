#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "ContentTypes.h"
#include "RequestHandler.h"
#include "SearchPath.h"
#include "ServerTestSupport.h"
#include "TempFolder.h"
#include "WebServer.h"

namespace quillane {
namespace {

TEST(SearchPath, LastSegmentOfThePath) {
    EXPECT_EQ(LastPathSegment("/temppack11.cab"), "temppack11.cab");
    EXPECT_EQ(LastPathSegment("/a/b/"), "b");
    EXPECT_EQ(LastPathSegment("/"), "");
    EXPECT_EQ(LastPathSegment("a\\b"), "a\\b");
}

TEST(SearchPath, FindsTheFirstExistingEntry) {
    testing::TempFolder one, two;
    testing::WriteFile(two.File("p.cab"), "x");
    testing::WriteFile(one.File("q.cab"), "x");
    const std::string path = one.Folder() + ";" + two.Path().string();
    EXPECT_EQ(FindInSearchPath(path, "p.cab"), two.File("p.cab"));
    EXPECT_EQ(FindInSearchPath(path, "q.cab"), one.File("q.cab"));
    EXPECT_EQ(FindInSearchPath(path, "r.cab"), "");
    EXPECT_EQ(FindInSearchPath(path, ""), "");
    // A relative entry, and an empty one, are taken from the current folder.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(two.Path());
    EXPECT_EQ(FindInSearchPath("nowhere;", "p.cab"), two.File("p.cab"));
    EXPECT_EQ(FindInSearchPath(".", "p.cab"), two.File("p.cab"));
    std::filesystem::current_path(previous);
    // The name is one segment: going up leads to a folder, never into another file.
    EXPECT_EQ(FindInSearchPath(one.Folder(), ".."), one.Path().parent_path().string() + "/");
}

TEST(SearchPath, EnvironmentReferencesAreExpanded) {
    ::setenv("QUILLANE_TEST_PACKS", "/srv/packs", 1);
    ::setenv("QUILLANE_TEST_NESTED", "$(QUILLANE_TEST_PACKS)/more", 1);
    EXPECT_EQ(ExpandSearchPath("$(QUILLANE_TEST_PACKS)/files;x"), "/srv/packs/files;x");
    EXPECT_EQ(ExpandSearchPath("$(QUILLANE_TEST_NESTED)"), "/srv/packs/more");
    EXPECT_EQ(ExpandSearchPath("$(QUILLANE_TEST_UNSET)/a"), "%QUILLANE_TEST_UNSET%/a");
    EXPECT_EQ(ExpandEnvironmentReferences("50% of %QUILLANE_TEST_PACKS%"), "50% of /srv/packs");
    ::setenv("QUILLANE_TEST_LOOP", "$(QUILLANE_TEST_LOOP)x", 1);
    EXPECT_EQ(ExpandSearchPath("$(QUILLANE_TEST_LOOP)").size(), 4096u);
}

TEST(SearchPath, ResolvedOnceAndAgainAfterAChange) {
    ::setenv("QUILLANE_TEST_PACKS", "/srv/packs", 1);
    TCustomWebServer server;
    server.SetSearchPath("$(QUILLANE_TEST_PACKS)/");
    std::vector<std::thread> workers;
    std::vector<std::string> results(8);
    for (int i = 0; i < 8; ++i) workers.emplace_back([&, i] { results[i] = server.ResolvedSearchPath(); });
    for (auto& worker : workers) worker.join();
    for (const std::string& result : results) EXPECT_EQ(result, "/srv/packs/");
    ::setenv("QUILLANE_TEST_PACKS", "/other", 1);
    EXPECT_EQ(server.ResolvedSearchPath(), "/srv/packs/");
    server.SetSearchPath("$(QUILLANE_TEST_PACKS)/");
    EXPECT_EQ(server.ResolvedSearchPath(), "/other/");
}

TEST(RedirectUrl, FromTheDefaultUrl) {
    TCustomWebServer server;
    server.SetPort(21900);
    EXPECT_EQ(server.RedirectUrl(), "");
    server.SetDefaultURL("HTTP://example/x");
    EXPECT_EQ(server.RedirectUrl(), "HTTP://example/x");
    server.SetDefaultURL("//host/y");
    EXPECT_EQ(server.RedirectUrl(), "//host/y");
    server.SetDefaultURL("/index.html");
    EXPECT_EQ(server.RedirectUrl(), "http://localhost:21900/index.html");
    server.SetDefaultURL("index.html");
    EXPECT_EQ(server.RedirectUrl(), "http://localhost:21900/index.html");
}

TEST(ContentTypes, FromAMimeTypesFile) {
    testing::TempFolder folder;
    testing::WriteFile(folder.File("mime.types"), "# comment\napplication/vnd.ms-cab-compressed\tcab\ntext/html html htm\n"
                                                  "application/x-msdownload exe dll\n");
    const TContentTypes types(folder.File("mime.types"));
    EXPECT_TRUE(types.FromFile());
    EXPECT_EQ(types.ContentTypeFor("/x/temppack11.cab"), "application/vnd.ms-cab-compressed");
    EXPECT_EQ(types.ContentTypeFor("/x/PAGE.HTM"), "text/html");
    EXPECT_EQ(types.ContentTypeFor("/x/setup.exe"), "application/octet-stream");
    EXPECT_EQ(types.ContentTypeFor("/x/lib.DLL"), "application/octet-stream");
    EXPECT_EQ(types.ContentTypeFor("/x/file.unknown"), "application/octet-stream");
    EXPECT_EQ(types.ContentTypeFor("/x.d/noextension"), "application/octet-stream");
}

TEST(ContentTypes, BuiltInTableWithoutTheFile) {
    const TContentTypes types("/nonexistent/mime.types");
    EXPECT_FALSE(types.FromFile());
    EXPECT_EQ(types.ContentTypeFor("a.cab"), "application/vnd.ms-cab-compressed");
    EXPECT_EQ(types.ContentTypeFor("a.html"), "text/html");
    EXPECT_EQ(types.ContentTypeFor("a.exe"), "application/octet-stream");
    EXPECT_EQ(types.ContentTypeFor("a.qzk"), "application/octet-stream");
}

// Requests answered in memory, without a socket.
class HandlerInMemory : public ::testing::Test {
protected:
    HandlerInMemory() {
        server.SetSearchPath(folder.Folder());
        request.SetConnection(&connection);
    }
    void Parse(const std::string& bytes) {
        TMemoryStream stream(bytes);
        THTTPParser parser(stream);
        handler.ParseRequest(parser, request);
    }

    testing::TempFolder folder;
    TCustomWebServer server;
    TRequestHandler handler{server};
    testing::TMemoryConnection connection;
    TWebServerRequest request{80, "127.0.0.1", {}};
};

TEST_F(HandlerInMemory, ServeRequestReportsWhetherItFoundSomething) {
    testing::WriteFile(folder.File("a.txt"), "abc");
    request.SetText(fiServerProtocol, "HTTP/1.0");
    request.SetText(fiPathInfo, "/a.txt");
    EXPECT_TRUE(handler.ServeRequest(request, false));
    EXPECT_NE(connection.bytes.find("\r\n\r\nabc"), std::string::npos);
    connection.bytes.clear();
    request.SetText(fiPathInfo, "/b.txt");
    EXPECT_FALSE(handler.ServeRequest(request, false));
    EXPECT_EQ(connection.bytes.find("HTTP/1.1 404 Not Found\r\n"), 0u);
    EXPECT_EQ(handler.FindFile(folder.Folder(), request), "");
    request.SetText(fiPathInfo, "/x/a.txt");
    EXPECT_EQ(handler.FindFile(folder.Folder(), request), folder.File("a.txt"));
}

TEST_F(HandlerInMemory, PutAndSilentClientsGetNothing) {
    Parse("PUT /a.txt HTTP/1.0\r\n\r\n");
    EXPECT_EQ(connection.sends, 0);
    Parse("");
    EXPECT_EQ(connection.sends, 0);
}

TEST_F(HandlerInMemory, ServerErrorWithoutAMessageKeepsItsPhrase) {
    request.SetText(fiServerProtocol, "HTTP/1.0");
    handler.SendServerError(request, "");
    EXPECT_EQ(connection.bytes.find("HTTP/1.1 500 Internal Server Error\r\n"), 0u);
}

}  // namespace
}  // namespace quillane
