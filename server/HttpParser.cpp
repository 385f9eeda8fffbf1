#include "HttpParser.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "ServerErrors.h"
#include "TextUtils.h"

namespace quillane {

namespace {

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(unsigned char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsBlank(unsigned char c) { return c != 0 && c != '\n' && c <= ' '; }
bool IsFloatChar(unsigned char c) { return IsDigit(c) || c == '+' || c == '.' || c == 'E' || c == 'e'; }

constexpr std::uint16_t Hash(std::string_view word) {
    std::uint16_t hash = 0;
    for (const char ch : word) {
        const auto c = static_cast<unsigned char>(ch);
        unsigned char folded = 0;
        if (c >= 'a' && c <= 'z') folded = static_cast<unsigned char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_') folded = c;
        hash = static_cast<std::uint16_t>((hash << 5) | (hash >> 11));
        hash ^= folded;
    }
    return hash;
}

struct TKeyword {
    std::string_view Word;
    int Kind;
    std::uint16_t WordHash;
};

constexpr TKeyword Keyword(std::string_view word, int kind) { return {word, kind, Hash(word)}; }

constexpr std::array kKeywords = {
    Keyword("GET", tkGet),
    Keyword("HEAD", tkHead),
    Keyword("PUT", tkPut),
    Keyword("DELETE", tkDelete),
    Keyword("POST", tkPost),
    Keyword("User-Agent", tkUserAgent),
    Keyword("Accept", tkAccept),
    Keyword("Content-Type", tkContentType),
    Keyword("Content-Length", tkContentLength),
    Keyword("Referer", tkReferer),
    Keyword("Authorization", tkAuthorization),
    Keyword("Cache-Control", tkCacheControl),
    Keyword("Date", tkDate),
    Keyword("From", tkFrom),
    Keyword("Host", tkHost),
    Keyword("If-Modified-Since", tkIfModifiedSince),
    Keyword("Content-Encoding", tkContentEncoding),
    Keyword("Content-Version", tkContentVersion),
    Keyword("Allow", tkAllow),
    Keyword("Connection", tkConnection),
    Keyword("Cookie", tkCookie),
    Keyword("Content-Disposition", tkContentDisposition),
};

}  // namespace

std::uint16_t KeywordHash(std::string_view word) { return Hash(word); }

int KeywordKind(std::string_view word) {
    const std::uint16_t hash = Hash(word);
    for (const TKeyword& keyword : kKeywords)
        if (keyword.WordHash == hash && SameText(keyword.Word, word)) return keyword.Kind;
    return tkWord;
}

THTTPParser::THTTPParser(TStream& source) : source_(&source), buffer_(std::make_unique<char[]>(BufferSize)) {
    buffer_[0] = 0;
    Advance();
}

THTTPParser::~THTTPParser() {
    // Every byte read from the source from the current token on goes back, those held
    // behind the scan end too. After TakeContent nothing is left, and the store may be gone.
    const std::int64_t offset = static_cast<std::int64_t>(tokenStart_) - static_cast<std::int64_t>(dataEnd_);
    if (offset != 0) source_->Seek(offset);
}

void THTTPParser::Fail(const std::string& message) const {
    throw EParserError(message + " on line " + std::to_string(lineNumber_));
}

void THTTPParser::RefillBuffer() {
    headScanned_ += scanPos_;
    if (headScanned_ > headLimit_) Fail("Request head too long");
    buffer_[scanEnd_] = savedChar_;
    const std::size_t kept = dataEnd_ - scanPos_;
    std::memmove(buffer_.get(), buffer_.get() + scanPos_, kept);
    dataEnd_ = kept;
    // A client may send a line in pieces. Reading on until a line is whole keeps a
    // word or a line end from being split between reads, which would end the head early.
    std::size_t searched = 0;
    while (!sourceEnded_ && dataEnd_ < BufferSize && !std::memchr(buffer_.get() + searched, '\n', dataEnd_ - searched)) {
        searched = dataEnd_;
        const std::size_t got = source_->Read(buffer_.get() + dataEnd_, BufferSize - dataEnd_);
        sourceEnded_ = got == 0;
        dataEnd_ += got;
    }
    scanPos_ = 0;
    tokenStart_ = 0;
    scanEnd_ = dataEnd_;
    if (!sourceEnded_) {
        // Scan whole lines only: stop after the last line feed, keeping the rest for later.
        // The last byte of a full buffer is always held back: its place holds the end mark.
        std::size_t pos = std::min(dataEnd_, BufferSize - 1);
        while (pos > 0 && buffer_[pos - 1] != '\n') --pos;
        scanEnd_ = pos;
    }
    savedChar_ = buffer_[scanEnd_];
    buffer_[scanEnd_] = 0;
    // With no line end in a full buffer there is nothing to scan; the state stays whole.
    if (scanEnd_ == 0 && dataEnd_ == BufferSize) Fail("Line too long");
}

int THTTPParser::Advance() {
    for (;;) {
        const unsigned char c = At(scanPos_);
        if (c == 0) {
            RefillBuffer();
            if (At(scanPos_) == 0) break;
        } else if (IsBlank(c)) {
            ++scanPos_;
        } else {
            break;
        }
    }
    tokenStart_ = scanPos_;
    const unsigned char c = At(scanPos_);
    if (c == '\n') {
        token_ = tkEol;
        ++lineNumber_;
        ++scanPos_;
    } else if (IsLetter(c)) {
        ScanWord();
    } else if (IsDigit(c)) {
        ScanNumber();
    } else if (c == '$') {
        ++scanPos_;
        while (IsHexDigit(At(scanPos_))) ++scanPos_;
        token_ = tkInteger;
    } else if (c == '#' || c == '\'') {
        ScanString();
    } else if (c == 0) {
        token_ = tkEof;
    } else {
        token_ = c;
        ++scanPos_;
    }
    return token_;
}

void THTTPParser::ScanWord() {
    for (;;) {
        const unsigned char c = At(scanPos_);
        if (IsLetter(c) || IsDigit(c) || (c == '-' && dashInWords_)) ++scanPos_;
        else break;
    }
    token_ = KeywordKind(std::string_view(buffer_.get() + tokenStart_, scanPos_ - tokenStart_));
}

void THTTPParser::ScanNumber() {
    while (IsDigit(At(scanPos_))) ++scanPos_;
    token_ = tkInteger;
    if (IsFloatChar(At(scanPos_))) {
        while (IsFloatChar(At(scanPos_))) ++scanPos_;
        token_ = tkFloat;
    }
}

void THTTPParser::ScanString() {
    // Decoded bytes never outgrow their source bytes, so they are written over them.
    std::size_t out = tokenStart_;
    for (;;) {
        if (At(scanPos_) == '#') {
            ++scanPos_;
            unsigned value = 0;
            while (IsDigit(At(scanPos_))) value = (value * 10 + (At(scanPos_++) - '0')) % 256;
            buffer_[out++] = static_cast<char>(value);
        } else if (At(scanPos_) == '\'') {
            ++scanPos_;
            for (;;) {
                const unsigned char c = At(scanPos_);
                if (c == 0 || c == '\r' || c == '\n') Fail("Invalid string constant");
                if (c == '\'') {
                    if (At(scanPos_ + 1) != '\'') {
                        ++scanPos_;
                        break;
                    }
                    ++scanPos_;
                }
                buffer_[out++] = static_cast<char>(c);
                ++scanPos_;
            }
        } else {
            break;
        }
    }
    stringEnd_ = out;
    token_ = tkString;
}

std::string THTTPParser::TokenText() const {
    const std::size_t end = token_ == tkString ? stringEnd_ : scanPos_;
    return std::string(buffer_.get() + tokenStart_, end - tokenStart_);
}

std::int32_t THTTPParser::TokenInteger() const { return StrToInt(TokenText()); }

bool THTTPParser::TokenIsWord(std::string_view text) const { return token_ == tkWord && SameText(TokenText(), text); }

std::string THTTPParser::RestOfLine() {
    std::size_t pos = tokenStart_;
    while (At(pos) != 0 && At(pos) != '\r' && At(pos) != '\n') ++pos;
    std::string text(buffer_.get() + tokenStart_, pos - tokenStart_);
    if (At(pos) == '\r') ++pos;
    scanPos_ = pos;
    AdvanceUnlessEnded();
    return text;
}

void THTTPParser::SkipLineBreaks() {
    if (token_ != tkEol) return;
    while (At(tokenStart_) == '\r' || At(tokenStart_) == '\n') ++tokenStart_;
    scanPos_ = tokenStart_;
    AdvanceUnlessEnded();
}

void THTTPParser::AdvanceUnlessEnded() {
    // Bytes held back behind the scan end, or still to come, continue the text.
    if (At(scanPos_) != 0 || (!sourceEnded_ && scanPos_ == scanEnd_)) Advance();
    else token_ = tkEof;
}

TTakenContent THTTPParser::TakeContent(std::int64_t length) {
    if (length > kMaxContentLength) Fail("Content too large");
    TTakenContent content;
    content.Store = std::make_unique<TMemoryStream>();
    content.Store->Write(buffer_.get(), scanPos_);
    const std::size_t contentStart = scanPos_;
    if (length > 0) {
        // Every byte read so far counts, also those held back behind ScanEnd.
        buffer_[scanEnd_] = savedChar_;
        const std::size_t wanted = static_cast<std::size_t>(length);
        const std::size_t fromBuffer = std::min(wanted, dataEnd_ - scanPos_);
        content.BufferedContent.assign(buffer_.get() + scanPos_, fromBuffer);
        content.Store->Write(content.BufferedContent.data(), fromBuffer);
        buffer_[scanEnd_] = 0;
        std::size_t missing = wanted - fromBuffer;
        if (missing > 0) source_->StartDeadline();
        char piece[1000];
        while (missing > 0) {
            const std::size_t got = source_->Read(piece, std::min(missing, sizeof piece));
            if (got == 0) break;
            content.Store->Write(piece, got);
            missing -= got;
        }
    }
    content.Store->SetPosition(contentStart);
    source_ = content.Store.get();
    sourceEnded_ = false;
    // What follows is content, already bounded by its own limit.
    headLimit_ = SIZE_MAX;
    // The buffer is used up: nothing is left to scan or to seek back over.
    scanPos_ = tokenStart_ = dataEnd_ = scanEnd_;
    token_ = tkEof;
    return content;
}

}  // namespace quillane
