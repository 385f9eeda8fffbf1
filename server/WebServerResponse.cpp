#include "WebServerResponse.h"

#include <algorithm>
#include <unordered_map>

#include "ClientConnection.h"
#include "ServerLog.h"
#include "WebServerRequest.h"

namespace quillane {

namespace {

std::string DateLine(const char* prefix, TDateTime value) { return prefix + FormatHttpDate(value) + " GMT\r\n"; }

std::string Line(const char* name, const std::string& value) { return std::string(name) + ": " + value + "\r\n"; }

}  // namespace

std::string StatusPhrase(int code) {
    static const std::unordered_map<int, const char*> phrases = {
        {100, "Continue"},
        {101, "Switching Protocols"},
        {200, "OK"},
        {201, "Created"},
        {202, "Accepted"},
        {203, "Non-Authoritative Information"},
        {204, "No Content"},
        {205, "Reset Content"},
        {206, "Partial Content"},
        {300, "Multiple Choices"},
        {301, "Moved Permanently"},
        {302, "Moved Temporarily"},
        {303, "See Other"},
        {304, "Not Modified"},
        {305, "Use Proxy"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {402, "Payment Required"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {406, "None Acceptable"},
        {407, "Proxy Authentication Required"},
        {408, "Request Timeout"},
        {409, "Conflict"},
        {410, "Gone"},
        {411, "Length Required"},
        {412, "Unless True"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {502, "Bad Gateway"},
        {503, "Service Unavailable"},
        {504, "Gateway Timeout"},
    };
    const auto found = phrases.find(code);
    return found == phrases.end() ? std::string() : found->second;
}

TWebServerResponse::TWebServerResponse(TWebServerRequest& request, TClientConnection* connection, TServerLog& log)
    : Date(ToGmt(LocalNow())), request_(request), connection_(connection), log_(log) {}

TWebServerResponse::~TWebServerResponse() {
    try {
        log_.LogResponse(request_.TakeSentText());
    } catch (const std::exception&) {
        // Without memory for the entry the answer still stands; only its record is lost.
    }
}

void TWebServerResponse::SetStatusCode(int code) {
    if (code == statusCode_) return;
    statusCode_ = code;
    if (std::string phrase = StatusPhrase(code); !phrase.empty()) ReasonPhrase = std::move(phrase);
}

void TWebServerResponse::SetContentText(std::string text) {
    contentText_ = std::move(text);
    contentLength_ = static_cast<std::int64_t>(contentText_.size());
}

void TWebServerResponse::SetContentStream(std::unique_ptr<TFileStream> stream) {
    contentStream_ = std::move(stream);
    contentLength_ = contentStream_ ? contentStream_->Size() : 0;
}

std::string TWebServerResponse::HeaderText() const {
    std::string h;
    if (!Location.empty()) h += Line("Location", Location);
    if (Date > 0) h += DateLine("Date: ", Date);
    if (!Server.empty()) h += Line("Server", Server);
    if (!WwwAuthenticate.empty()) h += "WWW-Authenticate: " + WwwAuthenticate;
    if (!Realm.empty()) h += "Realm=\"" + Realm + "\"\r\n";
    else if (!WwwAuthenticate.empty()) h += "\r\n";
    if (!Allow.empty()) h += Line("Allow", Allow);
    if (!ContentVersion.empty()) h += Line("Content-Version", ContentVersion);
    if (!DerivedFrom.empty()) h += Line("Derived-From", DerivedFrom);
    if (Expires > 0) h += DateLine("Expires: ", Expires);
    if (LastModified > 0) h += DateLine("Last-Modified: ", LastModified);
    if (!Title.empty()) h += Line("Title", Title);
    if (!ContentEncoding.empty()) h += Line("Content-Encoding", ContentEncoding);
    if (!ContentType.empty()) h += Line("Content-Type", ContentType);
    if (!contentText_.empty() || contentStream_) h += Line("Content-Length", std::to_string(contentLength_));
    // Every connection ends after its one answer; saying so keeps a client from
    // sending its next request on a connection that is about to close.
    h += "Connection: close\r\n";
    h += "Content:\r\n\r\n";
    if (!contentStream_) h += contentText_;
    return h;
}

void TWebServerResponse::WriteResponse() {
    if (request_.GetText(fiServerProtocol).empty()) {
        // A request line without a version is answered with the body alone.
        if (!contentStream_) request_.SendText(contentText_);
    } else {
        const std::string status = !ReasonPhrase.empty() && statusCode_ > 0
                                       ? std::to_string(statusCode_) + " " + ReasonPhrase
                                       : std::string("200 OK");
        request_.SendHead(statusCode_, status, HeaderText());
    }
    if (contentStream_) SendContentStream();
}

void TWebServerResponse::SendContentStream() {
    // The file goes out piece by piece from where it stands; it is never held whole.
    // A piece sent in part is continued from its first byte not sent.
    const std::unique_ptr<TFileStream> stream = std::move(contentStream_);
    if (!connection_) return;
    // Exactly the bytes the head announced, the file's size when it was opened:
    // no call is spent on finding the end, and a file growing meanwhile sends no more.
    for (std::int64_t left = stream->Size(); left > 0;) {
        const std::size_t piece = static_cast<std::size_t>(std::min<std::int64_t>(left, BodyPieceSize));
        const std::size_t sent = connection_->SendFilePiece(*stream, piece);
        if (sent == 0) break;
        left -= static_cast<std::int64_t>(sent);
    }
}

void TWebServerResponse::WriteRedirect(const std::string& url) {
    Location = url;
    SetStatusCode(302);
    ContentType = "text/html";
    SetContentText("<html><title>Document Moved 302</title>\r\n<body><h1>Object Moved</h1><hr>\r\n"
                   "This Object may be found <a HREF=\"" + url + "\">here.</a><br>\r\n<br></body></html>\r\n");
    WriteResponse();
}

}  // namespace quillane
