#include "HttpUrl.h"
#include "SockErrors.h"

#include <gtest/gtest.h>

using quillane::EConvertError;
using quillane::ParseUrl;
using quillane::StrToInt;

namespace {

struct Parsed {
    std::string url;
    std::string path;
    std::string host;
    int port;
    bool secure;
};

Parsed Parse(std::string url, std::string host = "", int port = 0, bool secure = false) {
    const std::string path = ParseUrl(url, host, port, secure);
    return {url, path, host, port, secure};
}

}  // namespace

TEST(ParseUrl, ServerAndPathOfAFullUrl) {
    const Parsed parsed = Parse("http://packs.example/download/a.qzk");
    EXPECT_EQ(parsed.host, "packs.example");
    EXPECT_EQ(parsed.path, "/download/a.qzk");
    EXPECT_EQ(parsed.port, 80);
    EXPECT_EQ(parsed.url, "http://packs.example/download/a.qzk");
}

TEST(ParseUrl, AUrlNamingOnlyTheServerRequestsTheRoot) {
    const Parsed parsed = Parse("http://packs.example");
    EXPECT_EQ(parsed.path, "/");
    EXPECT_EQ(parsed.url, "http://packs.example/");
    EXPECT_EQ(parsed.host, "packs.example");
}

TEST(ParseUrl, AnExplicitPortIsTakenOffTheHost) {
    const Parsed parsed = Parse("http://127.0.0.1:8080/x/y.htm");
    EXPECT_EQ(parsed.host, "127.0.0.1");
    EXPECT_EQ(parsed.port, 8080);
    EXPECT_EQ(parsed.path, "/x/y.htm");
}

TEST(ParseUrl, SchemesSetTheirPorts) {
    EXPECT_EQ(Parse("gopher://g.example/", "", 8080).port, 70);
    EXPECT_EQ(Parse("FTP://f.example/", "", 8080).port, 21);
    EXPECT_EQ(Parse("news://n.example/", "", 8080).port, 80);
    EXPECT_EQ(Parse("ftp://f.example:2121/").port, 2121);
    const Parsed secure = Parse("HTTPS://secure.example/pack.qzk", "", 8080);
    EXPECT_EQ(secure.port, 443);
    EXPECT_TRUE(secure.secure);
    EXPECT_EQ(Parse("https://secure.example:8443/").port, 8443);
    EXPECT_FALSE(Parse("http://plain.example/", "", 0, true).secure);
}

TEST(ParseUrl, RefusedUrls) {
    EXPECT_THROW(Parse(""), std::runtime_error);
    EXPECT_THROW(Parse("http://host.example:/x"), EConvertError);
    EXPECT_THROW(Parse("http://host.example:8o/x"), EConvertError);
}

TEST(ParseUrl, AUrlWithoutServerKeepsHostAndPort) {
    const Parsed absolute = Parse("/new/place.htm", "old.example", 8080, true);
    EXPECT_EQ(absolute.host, "old.example");
    EXPECT_EQ(absolute.port, 8080);
    EXPECT_TRUE(absolute.secure);
    EXPECT_EQ(absolute.path, "/new/place.htm");

    const Parsed bare = Parse("other.example", "old.example", 8080);
    EXPECT_EQ(bare.host, "other.example");
    EXPECT_EQ(bare.port, 8080);
    EXPECT_EQ(bare.path, "/");
    EXPECT_EQ(bare.url, "other.example/");
}

TEST(ParseUrl, AServerWithoutSchemeButWithPort) {
    // The text before ":" reads as a scheme, so the port is set twice: 80, then 8081.
    const Parsed parsed = Parse("host.example:8081/a", "", 9000);
    EXPECT_EQ(parsed.host, "host.example");
    EXPECT_EQ(parsed.port, 8081);
    EXPECT_EQ(parsed.path, "/a");
}

TEST(ParseUrl, ALongPathIsKeptWhole) {
    const std::string longPath = "/" + std::string(3000, 'p');
    EXPECT_EQ(Parse("http://h.example" + longPath).path, longPath);
}

TEST(StrToInt, WholeNumbersOnly) {
    EXPECT_EQ(StrToInt("8080"), 8080);
    EXPECT_EQ(StrToInt("+12"), 12);
    EXPECT_EQ(StrToInt("-3"), -3);
    for (const std::string bad : {"", " 80", "80 ", "0x50", "+-1", "99999999999", "12a"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + bad + "' is not a valid integer value");
        }
    }
}
