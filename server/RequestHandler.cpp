#include "RequestHandler.h"

#include "ComponentDispatch.h"
#include "ContentTypes.h"
#include "RequestReader.h"
#include "SearchPath.h"
#include "ServerErrors.h"
#include "TextUtils.h"
#include "WebServer.h"
#include "WebServerResponse.h"

namespace quillane {

namespace {

const char kBadRequestPage[] =
    "<HTML><TITLE>Invalid HTTP request: Method not allowed for HTTP/1.0</TITLE><BODY><H1>Invalid HTTP request: "
    "Method not allowed for HTTP/1.0</H1><P>HTTP status code: 400</BODY></HTML>\r\n";
const char kNotFoundPage[] =
    "<TITLE>The requested URL was not found</TITLE><BODY><H1>The requested URL was not found</H1><P>HTTP status "
    "code: 404</BODY>";

// An error message becomes part of the status line: line breaks and other control
// bytes in it would let a request forge headers.
std::string StatusLineText(const std::string& message) {
    std::string text = message;
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ' || c == 127) c = ' ';
    return text;
}

// An error message shown in the page may quote the request; it is shown as text.
std::string HtmlText(const std::string& message) {
    std::string text;
    for (const char c : message) {
        switch (c) {
            case '<': text += "&lt;"; break;
            case '>': text += "&gt;"; break;
            case '&': text += "&amp;"; break;
            case '"': text += "&quot;"; break;
            default: text += c;
        }
    }
    return text;
}

// Whether the request was meant for this server: its Host names the loopback address
// or localhost, in any letter case, with the port in use (without a port it would mean
// port 80, another server). A web page whose own name has been made to point to
// 127.0.0.1 would otherwise read what is served here through the user's browser, which
// names that page's host. HTTP/1.1 requires Host; older clients may leave it out.
bool NamesThisServer(TWebServerRequest& request, int port) {
    const std::string host = TrimRight(request.GetText(fiHost));
    if (host.empty()) return !SameText(request.GetText(fiServerProtocol), "HTTP/1.1");
    const std::size_t colon = host.rfind(':');
    if (colon == std::string::npos || host.compare(colon + 1, std::string::npos, std::to_string(port)) != 0) return false;
    const std::string_view name = std::string_view(host).substr(0, colon);
    return SameText(name, "127.0.0.1") || SameText(name, "localhost");
}

// The file's last-write time as the answer states it: local time truncated to an
// even second, then converted to GMT.
TDateTime FileTime(const TFileStream& file) {
    const std::time_t written = file.ModifiedTime();
    return ToGmt(LocalDateTimeFromUnix(written - (written & 1)));
}

}  // namespace

void TRequestHandler::ParseRequest(THTTPParser& parser, TWebServerRequest& request) {
    try {
        ReadRequest(parser, request);
        server_.Log().LogRequest(request);
        if (!NamesThisServer(request, server_.Port())) {
            SendBadRequest(request);
            return;
        }
        switch (request.MethodKind()) {
            case mkGet:
            case mkPost: ServeRequest(request, false); break;
            case mkHead: ServeRequest(request, true); break;
            case mkPut:
            case mkAny: break;
        }
    } catch (const EParserError&) {
        SendBadRequest(request);
    }
}

bool TRequestHandler::ServeRequest(TWebServerRequest& request, bool headOnly) {
    const std::string path = request.GetText(fiPathInfo);
    if (path.empty()) {
        if (const std::string url = server_.RedirectUrl(); !url.empty()) {
            TWebServerResponse response(request, request.Connection(), server_.Log());
            response.WriteRedirect(url);
            return true;
        }
    } else {
        if (AnsweredByComponent(request)) return true;
        if (const std::string file = FindFile(server_.ResolvedSearchPath(), request); !file.empty()) {
            SendFile(request, file, headOnly);
            return true;
        }
    }
    SendNotFound(request);
    return false;
}

bool TRequestHandler::AnsweredByComponent(TWebServerRequest& request) {
    const std::optional<TClassId> classId = FindComponentClass(request);
    if (!classId) return false;
    RunComponent(request, *classId, server_.Log());
    return true;
}

void TRequestHandler::SendFile(TWebServerRequest& request, const std::string& file, bool headOnly) {
    // Opened first, also when no body is sent: the open tells whether it is a regular
    // file and gives its time in one go.
    auto body = std::make_unique<TFileStream>(file);
    const TDateTime fileTime = FileTime(*body);
    const TDateTime ifModifiedSince = request.GetDate(fiIfModifiedSince);
    const bool notModified = ifModifiedSince > -1 && ifModifiedSince >= fileTime;
    TWebServerResponse response(request, request.Connection(), server_.Log());
    if (notModified) {
        response.SetStatusCode(304);
    } else {
        response.LastModified = fileTime;
        response.ContentType = ContentTypeFor(file);
        if (!headOnly) response.SetContentStream(std::move(body));
    }
    response.WriteResponse();
}

void TRequestHandler::SendPage(TWebServerRequest& request, int statusCode, std::string page) {
    TWebServerResponse response(request, request.Connection(), server_.Log());
    response.ContentType = "text/html";
    response.SetStatusCode(statusCode);
    response.SetContentText(std::move(page));
    response.WriteResponse();
}

void TRequestHandler::SendBadRequest(TWebServerRequest& request) { SendPage(request, 400, kBadRequestPage); }

void TRequestHandler::SendNotFound(TWebServerRequest& request) { SendPage(request, 404, kNotFoundPage); }

void TRequestHandler::SendServerError(TWebServerRequest& request, const std::string& message) {
    TWebServerResponse response(request, request.Connection(), server_.Log());
    response.ContentType = "text/html";
    response.SetStatusCode(500);
    // An empty message would leave no phrase, and the status line would claim "200 OK".
    if (const std::string phrase = StatusLineText(message); !phrase.empty()) response.ReasonPhrase = phrase;
    response.SetContentText("<TITLE>Internal Server Error</TITLE><BODY><H1>Internal Server Error</H1><P>HTTP status "
                            "code: 500<P>HTTP error message: " + HtmlText(message) + "</BODY>");
    response.WriteResponse();
}

std::string TRequestHandler::FindFile(const std::string& searchPath, TWebServerRequest& request) const {
    return FindInSearchPath(searchPath, LastPathSegment(request.GetText(fiPathInfo)));
}

std::string TRequestHandler::ContentTypeFor(const std::string& fileName) const {
    return TContentTypes::System().ContentTypeFor(fileName);
}

}  // namespace quillane
