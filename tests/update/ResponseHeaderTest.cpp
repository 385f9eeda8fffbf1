#include "HttpResponse.h"

#include <gtest/gtest.h>

using quillane::EndsHeader;
using quillane::ExamineHeaderLine;
using quillane::ResponseFields;
using quillane::StatusFromLine;

TEST(StatusFromLine, SecondWordAsNumber) {
    EXPECT_EQ(StatusFromLine("HTTP/1.0 200 OK\r\n"), 200);
    EXPECT_EQ(StatusFromLine("HTTP/1.1 404\r\n"), 404);
    EXPECT_EQ(StatusFromLine("HTTP/1.0 301 Moved\n"), 301);
    EXPECT_EQ(StatusFromLine("HTTP/1.0 OK 200\r\n"), 0);
    EXPECT_EQ(StatusFromLine("HTTP/1.0  200 OK\r\n"), 0);
    EXPECT_EQ(StatusFromLine("HTTP/1.0 70000 Big\r\n"), 0);
    EXPECT_EQ(StatusFromLine("<html>\r\n"), 0);
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
    const auto length = [](const std::string& line) {
        ResponseFields fields;
        fields.contentLength = -1;
        ExamineHeaderLine(line, fields);
        return fields.contentLength;
    };
    EXPECT_EQ(length("Content-Length:  5120\r\n"), 5120);
    EXPECT_EQ(length("CONTENT-LENGTH: about 77 bytes\r\n"), 77);
    EXPECT_EQ(length("Content-Length: none\r\n"), 0);
    EXPECT_EQ(length("Content-Length: 99999999999999999999999\r\n"), 0);
    // Without the space after the colon the name is not recognised.
    EXPECT_EQ(length("Content-Length:5\r\n"), -1);
}

TEST(ExamineHeaderLine, LongValuesAreKeptWhole) {
    ResponseFields fields;
    ExamineHeaderLine("Location: /" + std::string(3000, 'x') + "\r\n", fields);
    ExamineHeaderLine("Set-Cookie: c=" + std::string(3000, 'y') + "; Secure\r\n", fields);
    EXPECT_EQ(fields.location, "/" + std::string(3000, 'x'));
    EXPECT_EQ(fields.cookie, "c=" + std::string(3000, 'y') + "; Secure");
}

TEST(EndsHeader, BlankLinesAndTheEndOfTheConnection) {
    EXPECT_TRUE(EndsHeader("\r\n"));
    EXPECT_TRUE(EndsHeader("\n"));
    EXPECT_TRUE(EndsHeader(""));
    EXPECT_FALSE(EndsHeader(" \r\n"));
    EXPECT_FALSE(EndsHeader("\r"));
}
