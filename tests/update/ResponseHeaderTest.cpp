#include "HttpResponse.h"

#include <cstdint>
#include <gtest/gtest.h>

using quillane::EndsHeader;
using quillane::ExamineHeaderLine;
using quillane::ResponseFields;
using quillane::StatusFromLine;

TEST(StatusFromLine, ThreeDigitsAfterTheVersion) {
    EXPECT_EQ(StatusFromLine("HTTP/1.0 200 OK\r\n"), 200);
    EXPECT_EQ(StatusFromLine("HTTP/1.1 404\r\n"), 404);
    EXPECT_EQ(StatusFromLine("HTTP/1.0 301 Moved\n"), 301);
    EXPECT_EQ(StatusFromLine("HTTP/1.0 OK 200\r\n"), 0);
    EXPECT_EQ(StatusFromLine("HTTP/1.0  200 OK\r\n"), 0);
    EXPECT_EQ(StatusFromLine("HTTP/1.0 70000 Big\r\n"), 0);
    EXPECT_EQ(StatusFromLine("<html>\r\n"), 0);
    EXPECT_EQ(StatusFromLine("ICY 200 OK\r\n"), 0);
    EXPECT_EQ(StatusFromLine("HTTP/1.0 2000\r\n"), 0);
    EXPECT_EQ(StatusFromLine(""), 0);
}

TEST(ExamineHeaderLine, KeepsCookieLocationAndLength) {
    ResponseFields fields;
    ExamineHeaderLine("set-cookie: session=abc; path=/\r\n", fields);
    ExamineHeaderLine("Location: http://other.example/x\r\n", fields);
    ExamineHeaderLine("Content-Length: 1234\r\n", fields);
    ExamineHeaderLine("Server: test\r\n", fields);
    EXPECT_EQ(fields.cookie, "session=abc; path=/");
    EXPECT_EQ(fields.location, "http://other.example/x");
    EXPECT_EQ(fields.contentLength, 1234);
}

TEST(ExamineHeaderLine, ContentLengthValues) {
    // The length read from the lines, -1 for none and -2 for one that is no length.
    const auto length = [](std::initializer_list<std::string> lines) -> int64_t {
        ResponseFields fields;
        for (const std::string& line : lines) ExamineHeaderLine(line, fields);
        return fields.badContentLength ? -2 : fields.contentLength.value_or(-1);
    };
    EXPECT_EQ(length({"Content-Length:  5120 \r\n"}), 5120);
    EXPECT_EQ(length({"content-length:5\r\n"}), 5);
    EXPECT_EQ(length({"Content-Length: 7, 7\r\n", "Content-Length: 7\r\n"}), 7);
    EXPECT_EQ(length({"Content-Length: 7\r\n", "Content-Length: 8\r\n"}), -2);
    EXPECT_EQ(length({"CONTENT-LENGTH: about 77 bytes\r\n"}), -2);
    EXPECT_EQ(length({"Content-Length: +5\r\n"}), -2);
    EXPECT_EQ(length({"Content-Length:\r\n"}), -2);
    EXPECT_EQ(length({"Content-Length: 99999999999999999999999\r\n"}), -2);
    // A space before the colon makes another name.
    EXPECT_EQ(length({"Content-Length : 5\r\n"}), -1);
}

TEST(ChunkSize, HexadecimalWithExtensionsIgnored) {
    EXPECT_EQ(quillane::ChunkSize("1a\r\n"), 26);
    EXPECT_EQ(quillane::ChunkSize("FF ; name=\"x\"\r\n"), 255);
    EXPECT_EQ(quillane::ChunkSize("0\r\n"), 0);
    EXPECT_EQ(quillane::ChunkSize("7FFFFFFFFFFFFFFF\r\n"), INT64_MAX);
    EXPECT_FALSE(quillane::ChunkSize("8000000000000000\r\n"));
    EXPECT_FALSE(quillane::ChunkSize("\r\n"));
    EXPECT_FALSE(quillane::ChunkSize("0x10\r\n"));
    EXPECT_FALSE(quillane::ChunkSize("-1\r\n"));
}

TEST(ExamineHeaderLine, LongValuesAreKeptWhole) {
    ResponseFields fields;
    ExamineHeaderLine("Location: /" + std::string(3000, 'x') + "\r\n", fields);
    ExamineHeaderLine("Set-Cookie: c=" + std::string(3000, 'y') + "; Secure\r\n", fields);
    EXPECT_EQ(fields.location, "/" + std::string(3000, 'x'));
    EXPECT_EQ(fields.cookie, "c=" + std::string(3000, 'y') + "; Secure");
}

TEST(EndsHeader, BlankLinesOnly) {
    EXPECT_TRUE(EndsHeader("\r\n"));
    EXPECT_TRUE(EndsHeader("\n"));
    EXPECT_FALSE(EndsHeader(""));
    EXPECT_FALSE(EndsHeader(" \r\n"));
    EXPECT_FALSE(EndsHeader("\r"));
}
