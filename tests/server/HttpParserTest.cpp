#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "HttpParser.h"
#include "ServerErrors.h"
#include "ServerTestSupport.h"

namespace quillane {
namespace {

using testing::TPieceStream;
using Tokens = std::vector<std::pair<int, std::string>>;

Tokens Scan(THTTPParser& parser) {
    Tokens tokens;
    for (; parser.Token() != tkEof; parser.Advance()) tokens.emplace_back(parser.Token(), parser.TokenText());
    return tokens;
}

Tokens Scan(const std::string& text) {
    TMemoryStream stream(text);
    THTTPParser parser(stream);
    return Scan(parser);
}

std::string ParserError(const std::string& text) {
    TMemoryStream stream(text);
    try {
        THTTPParser parser(stream);
        Scan(parser);
    } catch (const EParserError& error) {
        return error.what();
    }
    return "no error";
}

TEST(HttpParserTokens, RequestHeadIsScannedIntoWordsNumbersAndLineEnds) {
    const Tokens expected = {
        {tkGet, "GET"}, {'/', "/"}, {tkWord, "temppack11"}, {'.', "."}, {tkWord, "cab"}, {tkWord, "HTTP"},
        {'/', "/"}, {tkFloat, "1.1"}, {tkEol, "\n"}, {tkHost, "Host"}, {':', ":"}, {tkFloat, "127.0.0.1"},
        {':', ":"}, {tkInteger, "21888"}, {tkEol, "\n"}, {tkEol, "\n"},
    };
    EXPECT_EQ(Scan("GET /temppack11.cab HTTP/1.1\r\nHost: 127.0.0.1:21888\r\n\r\n"), expected);
}

TEST(HttpParserTokens, KeywordsIgnoreCaseAndMatchWholeWordsOnly) {
    const std::vector<std::pair<std::string, int>> keywords = {
        {"GET", tkGet}, {"HEAD", tkHead}, {"PUT", tkPut}, {"DELETE", tkDelete}, {"POST", tkPost},
        {"User-Agent", tkUserAgent}, {"Accept", tkAccept}, {"Content-Type", tkContentType},
        {"Content-Length", tkContentLength}, {"Referer", tkReferer}, {"Authorization", tkAuthorization},
        {"Cache-Control", tkCacheControl}, {"Date", tkDate}, {"From", tkFrom}, {"Host", tkHost},
        {"If-Modified-Since", tkIfModifiedSince}, {"Content-Encoding", tkContentEncoding},
        {"Content-Version", tkContentVersion}, {"Allow", tkAllow}, {"Connection", tkConnection},
        {"Cookie", tkCookie}, {"Content-Disposition", tkContentDisposition},
    };
    for (const auto& [word, kind] : keywords) {
        EXPECT_EQ(KeywordKind(word), kind) << word;
        EXPECT_EQ(Scan(word + " x"), (Tokens{{kind, word}, {tkWord, "x"}})) << word;
    }
    EXPECT_EQ(Scan("content-type CONTENT-TYPE Content-Typo ContentType get Gets"),
              (Tokens{{tkContentType, "content-type"}, {tkContentType, "CONTENT-TYPE"}, {tkWord, "Content-Typo"},
                      {tkWord, "ContentType"}, {tkGet, "get"}, {tkWord, "Gets"}}));
}

TEST(HttpParserTokens, KeywordHashRotatesAndFoldsEachByte) {
    // G, E, T: ((0x47 rotl 5) ^ 0x45) rotl 5 ^ 0x54
    EXPECT_EQ(KeywordHash("GET"), 0x14F5);
    EXPECT_EQ(KeywordHash("get"), 0x14F5);
    EXPECT_EQ(KeywordHash("A-"), KeywordHash("A+"));
    EXPECT_NE(KeywordHash("A-"), KeywordHash("AB"));
}

TEST(HttpParserTokens, NumbersFloatsAndHexadecimalIntegers) {
    EXPECT_EQ(Scan("1.2.3 5E+5 42 $1F 7e"),
              (Tokens{{tkFloat, "1.2.3"}, {tkFloat, "5E+5"}, {tkInteger, "42"}, {tkInteger, "$1F"}, {tkFloat, "7e"}}));
    TMemoryStream stream("$1F -3 abc 1.5");
    THTTPParser parser(stream);
    EXPECT_EQ(parser.TokenInteger(), 31);
    EXPECT_EQ(parser.Advance(), '-');
    EXPECT_EQ(parser.Advance(), tkInteger);
    EXPECT_EQ(parser.TokenInteger(), 3);
    parser.Advance();
    try {
        parser.TokenInteger();
        FAIL() << "a word is no integer";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
    }
    parser.Advance();
    EXPECT_THROW(parser.TokenInteger(), EConvertError);
}

TEST(HttpParserTokens, StringConstantsAreDecodedInPlace) {
    EXPECT_EQ(Scan("'it''s' #65#66'C' #300 'a'#10'b' ''"),
              (Tokens{{tkString, "it's"}, {tkString, "ABC"}, {tkString, std::string(1, char(300 % 256))},
                      {tkString, "a\nb"}, {tkString, ""}}));
    EXPECT_EQ(Scan("#"), (Tokens{{tkString, std::string(1, '\0')}}));
}

TEST(HttpParserTokens, UnterminatedStringConstantFailsWithItsLine) {
    EXPECT_EQ(ParserError("'open"), "Invalid string constant on line 1");
    EXPECT_EQ(ParserError("GET\r\nHost: 'x\r\n"), "Invalid string constant on line 2");
    EXPECT_EQ(ParserError("a\nb\n'x\ry'"), "Invalid string constant on line 3");
}

TEST(HttpParserTokens, BytesAndBlanks) {
    EXPECT_EQ(Scan(":,-\x01\t\x1F \xC3\x7F"), (Tokens{{':', ":"}, {',', ","}, {'-', "-"}, {0xC3, "\xC3"}, {0x7F, "\x7F"}}));
    // A NUL byte ends the scannable data.
    EXPECT_EQ(Scan(std::string("a\0b", 3)), (Tokens{{tkWord, "a"}}));
}

TEST(HttpParserTokens, DashesSplitWordsWhenSwitchedOff) {
    TMemoryStream stream("x 29-Oct-94");
    THTTPParser parser(stream);
    EXPECT_TRUE(parser.DashInWords());
    parser.SetDashInWords(false);
    parser.Advance();
    EXPECT_EQ(Scan(parser), (Tokens{{tkInteger, "29"}, {'-', "-"}, {tkWord, "Oct"}, {'-', "-"}, {tkInteger, "94"}}));
}

TEST(HttpParserLines, RestOfLineTakesTheRawLineAndMovesOn) {
    TMemoryStream stream("a\r\nb");
    THTTPParser parser(stream);
    EXPECT_EQ(parser.Token(), tkWord);
    EXPECT_EQ(parser.RestOfLine(), "a");
    EXPECT_EQ(parser.Token(), tkEol);
    EXPECT_EQ(parser.Advance(), tkWord);
    EXPECT_EQ(parser.TokenText(), "b");
    EXPECT_EQ(parser.RestOfLine(), "b");
    EXPECT_EQ(parser.Token(), tkEof);
}

TEST(HttpParserLines, LineNumberGrowsAtEachLineEnd) {
    TMemoryStream stream("a\nb\r\n\nc");
    THTTPParser parser(stream);
    EXPECT_EQ(parser.LineNumber(), 1);
    EXPECT_EQ(parser.Advance(), tkEol);
    EXPECT_EQ(parser.LineNumber(), 2);
    parser.Advance();
    parser.Advance();
    parser.Advance();
    EXPECT_EQ(parser.LineNumber(), 4);
    EXPECT_EQ(parser.Advance(), tkWord);
}

TEST(HttpParserLines, SkipLineBreaksStepsOverBlankLines) {
    TMemoryStream stream("a\r\n\r\n\n\r\nb c");
    THTTPParser parser(stream);
    parser.RestOfLine();
    ASSERT_EQ(parser.Token(), tkEol);
    parser.SkipLineBreaks();
    EXPECT_EQ(parser.Token(), tkWord);
    EXPECT_EQ(parser.TokenText(), "b");
    parser.SkipLineBreaks();  // not at a line end: nothing happens
    EXPECT_EQ(parser.TokenText(), "b");
}

TEST(HttpParserReads, ALineSplitBetweenReadsIsReadWhole) {
    TPieceStream stream({"GET /temp", "pack11.cab HTTP/1.1\r", "\n", "Ho", "st: x\r\n\r\n"});
    THTTPParser parser(stream);
    EXPECT_EQ(parser.Token(), tkGet);
    parser.Advance();
    EXPECT_EQ(parser.RestOfLine(), "/temppack11.cab HTTP/1.1");
    EXPECT_EQ(parser.Token(), tkEol);
    EXPECT_EQ(parser.Advance(), tkHost);
}

TEST(HttpParserReads, ARequestArrivingByteByByteScansAsIfWhole) {
    const std::string request = "GET /a?b HTTP/1.0\r\nHost: x\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n\r\n";
    std::deque<std::string> bytes;
    for (const char c : request) bytes.emplace_back(1, c);
    TPieceStream pieces(bytes);
    TMemoryStream whole(request);
    THTTPParser byByte(pieces);
    THTTPParser atOnce(whole);
    EXPECT_EQ(Scan(byByte), Scan(atOnce));
}

TEST(HttpParserReads, BytesHeldBackAreGivenBackToTheSourceAtTheEnd) {
    TPieceStream stream({"GET / HTTP/1.0\r\nHo"});
    {
        THTTPParser parser(stream);
        EXPECT_EQ(parser.Token(), tkGet);
    }
    EXPECT_EQ(stream.seekOffset, -18);  // from the token GET, the partial line "Ho" included
}

TEST(HttpParserReads, AnUnfinishedLastLineIsScannedWhenTheSourceEnds) {
    TPieceStream stream({"a\r\nb", " c"});
    THTTPParser parser(stream);
    EXPECT_EQ(parser.RestOfLine(), "a");
    EXPECT_EQ(parser.Token(), tkEol);
    EXPECT_EQ(parser.Advance(), tkWord);
    EXPECT_EQ(parser.TokenText(), "b");
    EXPECT_EQ(parser.RestOfLine(), "b c");
    EXPECT_EQ(parser.Token(), tkEof);
}

TEST(HttpParserReads, TokensContinueAcrossReadsAtLineBoundaries) {
    TPieceStream stream({"GET / HTTP/1.0\r\n", "Host: x\r\n", "\r\n"});
    THTTPParser parser(stream);
    EXPECT_EQ(Scan(parser), (Tokens{{tkGet, "GET"}, {'/', "/"}, {tkWord, "HTTP"}, {'/', "/"}, {tkFloat, "1.0"},
                                    {tkEol, "\n"}, {tkHost, "Host"}, {':', ":"}, {tkWord, "x"}, {tkEol, "\n"},
                                    {tkEol, "\n"}}));
}

TEST(HttpParserReads, FullBufferIsScannedUpToItsLastLineEnd) {
    // 60 lines of 100 bytes: the first read fills the buffer in the middle of a line.
    std::string text;
    std::vector<std::string> lines;
    for (int i = 0; i < 60; ++i) {
        std::string line = "L" + std::to_string(i) + " ";
        line += std::string(98 - line.size(), static_cast<char>('a' + i % 26));
        lines.push_back(line);
        text += line + "\r\n";
    }
    TMemoryStream stream(text);
    THTTPParser parser(stream);
    for (const std::string& line : lines) {
        ASSERT_EQ(parser.Token(), tkWord);
        ASSERT_EQ(parser.RestOfLine(), line);
        ASSERT_EQ(parser.Token(), tkEol);
        parser.Advance();
    }
    EXPECT_EQ(parser.Token(), tkEof);
    EXPECT_EQ(parser.LineNumber(), 61);
}

TEST(HttpParserReads, LineTooLong) {
    EXPECT_EQ(ParserError(std::string(4096, 'x')), "Line too long on line 1");
    EXPECT_EQ(ParserError("a\n" + std::string(5000, 'x') + "\n"), "Line too long on line 2");
    // The line end must come before the buffer's last byte.
    EXPECT_EQ(ParserError(std::string(4095, 'x') + "\n" + std::string(10, 'y')), "Line too long on line 1");
    EXPECT_EQ(ParserError(std::string(4094, 'x') + "\n" + std::string(10, 'y')), "no error");
}

TEST(HttpParserReads, DestroyingSeeksBackOverUnscannedBytes) {
    TMemoryStream stream("abc def ghi");
    {
        THTTPParser parser(stream);
        parser.Advance();
        EXPECT_EQ(stream.Position(), 11u);
    }
    EXPECT_EQ(stream.Position(), 4u);  // where "def" starts
}

TEST(HttpParserContent, ContentThatArrivedWithTheHeadAndAfterIt) {
    TPieceStream stream({"POST / HTTP/1.0\r\n\r\nab", "cd", "ef"});
    THTTPParser parser(stream);
    while (parser.Token() != tkEol || parser.LineNumber() != 3) parser.Advance();
    TTakenContent content = parser.TakeContent(5);
    EXPECT_EQ(content.BufferedContent, "ab");
    EXPECT_EQ(content.Store->Bytes(), "POST / HTTP/1.0\r\n\r\nabcde");
    EXPECT_EQ(content.Store->Position(), 19u);
    EXPECT_EQ(parser.Token(), tkEof);
}

TEST(HttpParserContent, MissingContentIsNotInvented) {
    TPieceStream stream({"POST / HTTP/1.0\r\n\r\nab"});
    THTTPParser parser(stream);
    while (parser.Token() != tkEol || parser.LineNumber() != 3) parser.Advance();
    TTakenContent content = parser.TakeContent(1000);
    EXPECT_EQ(content.Store->Bytes(), "POST / HTTP/1.0\r\n\r\nab");
}

TEST(HttpParserContent, ContentAboveTheLimitIsRefused) {
    TMemoryStream stream("POST / HTTP/1.0\r\n\r\n");
    THTTPParser parser(stream);
    EXPECT_NO_THROW(parser.TakeContent(0));
    TMemoryStream second("x\n");
    THTTPParser other(second);
    try {
        other.TakeContent(kMaxContentLength + 1);
        FAIL() << "a content length above the limit is accepted";
    } catch (const EParserError& error) {
        EXPECT_STREQ(error.what(), "Content too large on line 1");
    }
}

}  // namespace
}  // namespace quillane
