#include "RequestReader.h"

#include "TextUtils.h"

namespace quillane {

namespace {

void SkipColon(THTTPParser& parser) {
    parser.Advance();
    if (parser.Token() == ':') parser.Advance();
}

// The request line; false when it has no protocol version, which ends the head.
bool ReadRequestLine(THTTPParser& parser, TWebServerRequest& request) {
    static constexpr const char* kMethodTexts[] = {"GET", "HEAD", "PUT", "ANY", "POST"};
    request.SetText(fiRequestMethod, kMethodTexts[parser.Token() - tkGet]);
    parser.Advance();
    std::string rest = TrimLeft(parser.RestOfLine());
    if (const std::size_t blank = rest.find(' '); blank != std::string::npos) {
        request.SetText(fiServerProtocol, TrimRight(rest.substr(blank + 1)));
        rest.resize(blank);
    }
    if (const std::size_t question = rest.find('?'); question != std::string::npos) {
        request.SetText(fiQueryString, ReplaceAll(rest.substr(question + 1), "+", " "));
        rest.resize(question);
    }
    request.SetText(fiPathInfo, rest == "/" ? std::string() : rest);
    if (request.GetText(fiServerProtocol).empty()) return false;
    parser.Advance();
    return true;
}

// Headers of which the first occurrence wins.
void ReadFirstValue(THTTPParser& parser, TWebServerRequest& request, int field) {
    SkipColon(parser);
    const std::string value = parser.RestOfLine();
    if (request.GetText(field).empty()) request.SetText(field, TrimLeft(value));
    parser.Advance();
}

void ReadAccept(THTTPParser& parser, TWebServerRequest& request) {
    SkipColon(parser);
    const std::string value = parser.RestOfLine();
    const std::string joined = request.GetText(fiAccept);
    request.SetText(fiAccept, joined.empty() ? value : joined + ", " + value);
    parser.Advance();
}

void ReadContentLength(THTTPParser& parser, TWebServerRequest& request) {
    SkipColon(parser);
    if (parser.Token() == tkInteger) request.SetInteger(fiContentLength, parser.TokenInteger());
    parser.RestOfLine();
    parser.Advance();
}

void ReadAuthorization(THTTPParser& parser, TWebServerRequest& request) {
    SkipColon(parser);
    parser.Advance();  // the scheme word, which is not kept
    request.SetText(fiAuthorization, TrimLeft(parser.RestOfLine()));
    parser.Advance();
}

void ReadOtherHeader(THTTPParser& parser, TWebServerRequest& request) {
    const std::string name = parser.TokenText();
    std::string value;
    if (parser.Advance() == ':') {
        parser.Advance();
        value = parser.RestOfLine();
    }
    request.AddExtraHeader(name, value);
    parser.Advance();
}

int MonthNumber(const THTTPParser& parser) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int month = 1; month <= 12; ++month)
        if (parser.TokenIsWord(kMonths[month - 1])) return month;
    return 13;
}

void SkipByte(THTTPParser& parser, int byte) {
    if (parser.Token() == byte) parser.Advance();
}

void ReadTime(THTTPParser& parser, TDateTimeParts& parts) {
    parts.Hour = parser.TokenInteger();
    parser.Advance();
    SkipByte(parser, ':');
    parts.Minute = parser.TokenInteger();
    parser.Advance();
    SkipByte(parser, ':');
    parts.Second = parser.TokenInteger();
    parser.Advance();
}

// Dates are read with "-" as a separator; words get their dashes back afterwards.
class TDashesOff {
public:
    explicit TDashesOff(THTTPParser& parser) : parser_(parser) { parser_.SetDashInWords(false); }
    ~TDashesOff() { parser_.SetDashInWords(true); }
    TDashesOff(const TDashesOff&) = delete;
    TDashesOff& operator=(const TDashesOff&) = delete;

private:
    THTTPParser& parser_;
};

}  // namespace

TDateTime ParseHeaderDate(THTTPParser& parser) {
    const TDashesOff dashesOff(parser);
    SkipColon(parser);
    parser.Advance();  // the day name
    SkipByte(parser, ',');
    TDateTimeParts parts;
    if (const int month = MonthNumber(parser); month != 13) {
        // Sun Nov 6 08:49:37 1994
        parts.Month = month;
        parser.Advance();
        parts.Day = parser.TokenInteger();
        parser.Advance();
        ReadTime(parser, parts);
        parts.Year = parser.TokenInteger();
    } else {
        // Sun, 06 Nov 1994 08:49:37 GMT and Sunday, 06-Nov-94 08:49:37 GMT
        parts.Day = parser.TokenInteger();
        parser.Advance();
        SkipByte(parser, '-');
        parts.Month = MonthNumber(parser);
        parser.Advance();
        SkipByte(parser, '-');
        parts.Year = parser.TokenInteger();
        if (parts.Year < 100) parts.Year += 1900;
        parser.Advance();
        ReadTime(parser, parts);
    }
    return EncodeDateTime(parts);
}

void ReadRequest(THTTPParser& parser, TWebServerRequest& request) {
    for (bool inHead = true; inHead;) {
        switch (parser.Token()) {
            case tkEof:
            case tkEol:
                inHead = false;
                break;
            case tkGet:
            case tkHead:
            case tkPut:
            case tkDelete:
            case tkPost:
                inHead = ReadRequestLine(parser, request);
                break;
            case tkUserAgent: ReadFirstValue(parser, request, fiUserAgent); break;
            case tkContentType: ReadFirstValue(parser, request, fiContentType); break;
            case tkReferer: ReadFirstValue(parser, request, fiReferer); break;
            case tkHost: ReadFirstValue(parser, request, fiHost); break;
            case tkConnection: ReadFirstValue(parser, request, fiConnection); break;
            case tkCookie: ReadFirstValue(parser, request, fiCookie); break;
            case tkAccept: ReadAccept(parser, request); break;
            case tkContentLength: ReadContentLength(parser, request); break;
            case tkAuthorization: ReadAuthorization(parser, request); break;
            case tkDate: request.SetDate(fiDate, ParseHeaderDate(parser)); break;
            case tkIfModifiedSince: request.SetDate(fiIfModifiedSince, ParseHeaderDate(parser)); break;
            default: ReadOtherHeader(parser, request); break;
        }
    }
    request.SetContent(parser.TakeContent(request.GetInteger(fiContentLength)));
}

}  // namespace quillane
