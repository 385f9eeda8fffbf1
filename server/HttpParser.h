#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Streams.h"

namespace quillane {

// Token kinds. Every byte from 33 to 255 that starts no other token is a token of its
// own, with the byte's value as its kind, so ":" is 58.
enum : int {
    tkEof = 0,
    tkWord = 1,
    tkString = 2,
    tkInteger = 3,
    tkFloat = 4,
    tkEol = 5,
    tkGet = 6,
    tkHead = 7,
    tkPut = 8,
    tkDelete = 9,
    tkPost = 10,
    tkUserAgent = 13,
    tkAccept = 14,
    tkContentType = 15,
    tkContentLength = 16,
    tkReferer = 17,
    tkAuthorization = 18,
    tkCacheControl = 19,
    tkDate = 20,
    tkFrom = 21,
    tkHost = 22,
    tkIfModifiedSince = 23,
    tkContentEncoding = 24,
    tkContentVersion = 25,
    tkAllow = 26,
    tkConnection = 27,
    tkCookie = 28,
    tkContentDisposition = 29,
};

// The keyword kind of a word (ignoring case), or tkWord.
int KeywordKind(std::string_view word);
// The 16-bit hash that keyword lookup compares first.
std::uint16_t KeywordHash(std::string_view word);

// Request content beyond this many bytes is refused rather than held in memory.
inline constexpr std::int64_t kMaxContentLength = 1024 * 1024;
// A request line and headers together beyond this many bytes are refused likewise.
inline constexpr std::size_t kMaxHeadLength = 64 * 1024;

// The request content gathered after the headers.
struct TTakenContent {
    // The head bytes still in the buffer, then the content bytes that arrived; its read
    // position is where the content starts.
    std::unique_ptr<TMemoryStream> Store;
    // The content bytes that had already arrived with the headers.
    std::string BufferedContent;
};

// Line-oriented tokenizer of request heads (and of the response heads the log reads).
// Works in place in one buffer; a NUL at ScanEnd marks the end of the scannable bytes.
class THTTPParser {
public:
    static constexpr std::size_t BufferSize = 4096;

    // Scans the first token at once, so the first read from source happens here.
    explicit THTTPParser(TStream& source);
    // Seeks the source back over the bytes that were read but not scanned.
    ~THTTPParser();
    THTTPParser(const THTTPParser&) = delete;
    THTTPParser& operator=(const THTTPParser&) = delete;

    int Advance();
    int Token() const { return token_; }
    std::string TokenText() const;
    // Raises EConvertError "'%s' is not a valid integer value".
    std::int32_t TokenInteger() const;
    bool TokenIsWord(std::string_view text) const;
    // The raw text from the current token to the line end; then moves on.
    std::string RestOfLine();
    // After a tkEol: steps over further line breaks and scans the next token.
    void SkipLineBreaks();
    // Gathers length content bytes after the headers into a store that becomes the
    // source. Stops early when the client stops sending; refuses lengths above the limit.
    TTakenContent TakeContent(std::int64_t length);

    int LineNumber() const { return lineNumber_; }
    bool DashInWords() const { return dashInWords_; }
    void SetDashInWords(bool value) { dashInWords_ = value; }

private:
    void RefillBuffer();
    // At the end of the scanned bytes: Advance when more can come, else the end.
    void AdvanceUnlessEnded();
    void ScanWord();
    void ScanNumber();
    void ScanString();
    [[noreturn]] void Fail(const std::string& message) const;
    unsigned char At(std::size_t pos) const { return static_cast<unsigned char>(buffer_[pos]); }

    TStream* source_;
    std::unique_ptr<char[]> buffer_;
    std::size_t dataEnd_ = 0;
    std::size_t scanPos_ = 0;
    std::size_t scanEnd_ = 0;
    std::size_t tokenStart_ = 0;
    std::size_t stringEnd_ = 0;
    char savedChar_ = 0;
    // The source has given its last byte (or timed out): nothing is held back any more.
    bool sourceEnded_ = false;
    // Head bytes scanned and let go so far, and how many the head may have.
    std::size_t headScanned_ = 0;
    std::size_t headLimit_ = kMaxHeadLength;
    int token_ = tkEof;
    int lineNumber_ = 1;
    bool dashInWords_ = true;
};

}  // namespace quillane
