#include <gtest/gtest.h>

#include "ComponentTestSupport.h"
#include "HttpParser.h"
#include "RequestAdapter.h"
#include "RequestReader.h"
#include "ServerErrors.h"
#include "ServerTestSupport.h"
#include "WebServerRequest.h"

namespace quillane {
namespace {

using testing::ByteArray;
using testing::ByteText;

// A request read from bytes, answered into memory through the adapter.
class AdapterInMemory : public ::testing::Test {
protected:
    void Read(const std::string& bytes) {
        TMemoryStream stream(bytes);
        THTTPParser parser(stream);
        ReadRequest(parser, request);
        request.SetConnection(&connection);
    }

    testing::TMemoryConnection connection;
    TWebServerRequest request{8080, "127.0.0.1", [] { return std::string("localhost"); }};
    TRequestAdapter adapter{request};
};

TEST_F(AdapterInMemory, FieldsAndNamesAsWideStrings) {
    Read("GET /app/x?a+b HTTP/1.1\r\nHost: h\r\nX-Name: caf\xC3\xA9\r\n\r\n");
    EXPECT_TRUE(adapter.UsesStub());
    EXPECT_EQ(adapter.FieldByName(L"PATH_INFO"), L"/app/x");
    EXPECT_EQ(adapter.FieldByName(L"http_host"), L"h");
    EXPECT_EQ(adapter.FieldByName(L"X-Name"), (std::wstring{L'c', L'a', L'f', wchar_t(0xE9)}));
    EXPECT_EQ(adapter.FieldByName(L"X-Missing"), L"");
    EXPECT_EQ(adapter.MapUri(std::wstring{L'/', wchar_t(0x20AC)}), (std::wstring{L'/', wchar_t(0x20AC)}));
}

TEST_F(AdapterInMemory, GetTextGivesTheFieldAsBytes) {
    Read("GET /a?b+c HTTP/1.0\r\nX-Name: caf\xC3\xA9\r\n\r\n");
    EXPECT_EQ(ByteText(adapter.GetText(fiQueryString)), "b c");
    EXPECT_EQ(ByteText(adapter.GetText(fiServerPort)), "8080");
    EXPECT_EQ(adapter.GetText(fiRemoteHost), ByteArray("localhost"));
    for (const int index : {-1, int{FieldCount}}) {
        try {
            adapter.GetText(index);
            ADD_FAILURE() << "read field " << index;
        } catch (const EListError& error) {
            EXPECT_STREQ(error.what(), "Index out of bounds");
        }
    }
}

TEST_F(AdapterInMemory, ContentIsHandedOutOnceInOrder) {
    Read("POST /a HTTP/1.0\r\nContent-Length: 10\r\n\r\n0123456789");
    TByteArray buffer(2, 'z');
    EXPECT_EQ(adapter.ReadContent(buffer, 3), 3u);
    EXPECT_EQ(ByteText(buffer), "012");
    EXPECT_EQ(ByteText(adapter.ReadContentText(4)), "3456");
    // More than is left, and more than the array held: only what is there arrives.
    buffer.assign(1, 'z');
    EXPECT_EQ(adapter.ReadContent(buffer, 1000000), 3u);
    EXPECT_EQ(ByteText(buffer), "789");
    EXPECT_EQ(adapter.ReadContent(buffer, 5), 0u);
    EXPECT_TRUE(buffer.empty());
    EXPECT_TRUE(adapter.ReadContentText(5).empty());
}

TEST_F(AdapterInMemory, SendsWideStringsAndByteArraysOnly) {
    Read("GET /a HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(adapter.SendHead(404, ByteArray("200 Fine"), ByteArray("X-A: 1\r\n\r\n")));
    EXPECT_EQ(adapter.SendBytes(TVariant(ByteArray(std::string("b\0y", 3)))), 3u);
    EXPECT_EQ(adapter.SendBytes(TVariant(std::wstring{L'-', wchar_t(0xE9)})), 3u);
    EXPECT_EQ(adapter.SendBytes(TVariant(TByteArray())), 0u);
    for (const TVariant& other : {TVariant(), TVariant(true), TVariant(std::int32_t{7}), TVariant(1.5)}) {
        try {
            adapter.SendBytes(other);
            ADD_FAILURE() << "sent data of kind " << other.index();
        } catch (const EVariantError& error) {
            EXPECT_STREQ(error.what(), "Unknown variant type");
        }
    }
    const std::string sent = "HTTP/1.1 200 Fine\r\nX-A: 1\r\n\r\n" + std::string("b\0y", 3) + "-\xC3\xA9";
    EXPECT_EQ(connection.bytes, sent);
    EXPECT_EQ(request.TakeSentText(), sent);
}

TEST_F(AdapterInMemory, FailedSendsReportNothingWritten) {
    Read("GET /a HTTP/1.0\r\n\r\n");
    connection.failSends = true;
    EXPECT_EQ(adapter.SendBytes(TVariant(ByteArray("abc"))), 0u);
    EXPECT_FALSE(adapter.SendHead(200, ByteArray("200 OK"), ByteArray("\r\n")));
}

}  // namespace
}  // namespace quillane
