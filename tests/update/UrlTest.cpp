#include "HttpUrl.h"
#include "SockErrors.h"
#include "UriReference.h"

#include <gtest/gtest.h>

using quillane::ComposeUri;
using quillane::ESockError;
using quillane::ParseHttpUrl;
using quillane::ResolveReference;
using quillane::SplitUriReference;

TEST(ParseHttpUrl, ServerPortAndRequestOfAFullAddress) {
    const auto plain = ParseHttpUrl("http://packs.example/download/a.qzk?v=2#top");
    EXPECT_FALSE(plain.secure);
    EXPECT_EQ(plain.host, "packs.example");
    EXPECT_EQ(plain.port, 80);
    EXPECT_EQ(plain.path, "/download/a.qzk?v=2");
    EXPECT_EQ(plain.url, "http://packs.example/download/a.qzk?v=2");

    const auto secure = ParseHttpUrl("HTTPS://127.0.0.1:8443");
    EXPECT_TRUE(secure.secure);
    EXPECT_EQ(secure.host, "127.0.0.1");
    EXPECT_EQ(secure.port, 8443);
    EXPECT_EQ(secure.path, "/");
    EXPECT_EQ(ParseHttpUrl("https://secure.example:/").port, 443);
}

TEST(ParseHttpUrl, ALongPathIsKeptWhole) {
    const std::string longPath = "/" + std::string(3000, 'p');
    EXPECT_EQ(ParseHttpUrl("http://h.example" + longPath).path, longPath);
}

TEST(ParseHttpUrl, AServerWithoutSchemeIsNoHttpAddress) {
    // "host.example" reads as a scheme; "127.0.0.1:8080/x" as a relative path.
    for (const std::string url : {"host.example:8081/a", "127.0.0.1:8080/x", "packs.example/a.qzk"}) {
        try {
            ParseHttpUrl(url);
            ADD_FAILURE() << "accepted " << url;
        } catch (const ESockError& error) {
            EXPECT_EQ(std::string(error.what()), "The address " + url + " is not an http or https address.");
        }
    }
}

// RFC 3986 section 5.4: every example reference against http://a/b/c/d;p?q.
TEST(ResolveReference, TheExamplesOfTheUriStandard) {
    const auto base = SplitUriReference("http://a/b/c/d;p?q");
    const std::pair<const char*, const char*> examples[] = {
        {"g:h", "g:h"},         {"g", "http://a/b/c/g"},      {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"}, {"/g", "http://a/g"},      {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"}, {"g?y", "http://a/b/c/g?y"}, {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"}, {"g?y#s", "http://a/b/c/g?y#s"}, {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"}, {"", "http://a/b/c/d;p?q"}, {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},  {"..", "http://a/b/"},      {"../", "http://a/b/"},
        {"../g", "http://a/b/g"}, {"../..", "http://a/"},     {"../../g", "http://a/g"},
        {"../../../g", "http://a/g"}, {"/./g", "http://a/g"}, {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."}, {"..g", "http://a/b/c/..g"}, {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"}, {"g/./h", "http://a/b/c/g/h"}, {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"}, {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"}, {"g#s/../x", "http://a/b/c/g#s/../x"},
    };
    for (const auto& [reference, target] : examples)
        EXPECT_EQ(ComposeUri(ResolveReference(base, SplitUriReference(reference))), target) << reference;
}
