#include "LogEntries.h"

#include <unistd.h>

#include "HttpParser.h"
#include "ServerErrors.h"
#include "TextUtils.h"
#include "WebServerRequest.h"

namespace quillane {

namespace {

// Asked of the system once per thread, not for every entry.
long CurrentThreadId() {
    thread_local const long id = static_cast<long>(::gettid());
    return id;
}

}  // namespace

TTransactionLogEntry::TTransactionLogEntry(std::string eventText)
    : EventText(std::move(eventText)), Time(LocalNow()), ThreadId(CurrentThreadId()) {}

std::string TTransactionLogEntry::Column(int index) const {
    switch (index) {
        case 0: return EventText;
        case 1: return FormatLogTime(Time);
        case 2: return FormatShortDate(Time);
        case 8: return std::to_string(ThreadId);
        default: return {};
    }
}

std::string THTTPTransaction::Column(int index) const {
    switch (index) {
        case 6: return std::to_string(ContentLength);
        case 7: return ContentType;
        default: return TTransactionLogEntry::Column(index);
    }
}

TRequestTransaction::TRequestTransaction(TWebServerRequest& request)
    : THTTPTransaction(request.GetText(fiRequestMethod)), PathInfo(request.GetText(fiPathInfo)) {
    ContentLength = request.GetInteger(fiContentLength);
    ContentType = request.GetText(fiContentType);
    RawText = request.RawRequestText();
}

std::string TRequestTransaction::Column(int index) const {
    return index == 4 ? PathInfo : THTTPTransaction::Column(index);
}

TResponseTransaction::TResponseTransaction(std::string text) : THTTPTransaction("RESPONSE") {
    RawText = std::move(text);
    try {
        ReadHead();
    } catch (const EParserError&) {
        // A head the tokenizer cannot read keeps the fields read so far.
    } catch (const EConvertError&) {
    }
    const std::size_t blank = StatusLine.find(' ');
    Status = blank == std::string::npos ? std::string() : StatusLine.substr(blank + 1);
}

void TResponseTransaction::ReadHead() {
    TMemoryStream stream(RawText);
    THTTPParser parser(stream);
    StatusLine = parser.RestOfLine();
    parser.SkipLineBreaks();
    for (;;) {
        const int token = parser.Token();
        if (token == tkEof || token == tkEol) break;
        if (token == tkContentType) {
            parser.Advance();
            if (parser.Token() == ':') parser.Advance();
            const std::string value = TrimLeft(parser.RestOfLine());
            if (ContentType.empty()) ContentType = value;
            parser.Advance();
        } else if (token == tkContentLength) {
            parser.Advance();
            if (parser.Token() == ':') parser.Advance();
            if (parser.Token() == tkInteger) ContentLength = parser.TokenInteger();
            parser.RestOfLine();
            parser.Advance();
        } else {
            parser.RestOfLine();
            parser.SkipLineBreaks();
        }
    }
}

std::string TResponseTransaction::Column(int index) const {
    switch (index) {
        case 3: return FormatLogTime(Elapsed);
        case 5: return Status;
        default: return THTTPTransaction::Column(index);
    }
}

TErrorTransaction::TErrorTransaction(int kind, int code, std::string message)
    : TTransactionLogEntry("ERROR"), Kind(kind), Message(std::move(message)), Code(code) {}

std::string TErrorTransaction::Text() const {
    const char* kindText = Kind == 1 ? "Send" : Kind == 2 ? "Receive" : "";
    return FormatHttpDate(Time) + " " + kindText + " Error: (" + std::to_string(Code) + ")" + Message;
}

}  // namespace quillane
