#pragma once

#include <string>

#include "HttpParser.h"
#include "WebServerRequest.h"

namespace quillane {

class TCustomWebServer;

// What a worker does with one request once its connection is open: read it, log it,
// and answer it with a file, a redirect, a 304 or one of the fixed pages.
class TRequestHandler {
public:
    explicit TRequestHandler(TCustomWebServer& server) : server_(server) {}

    // Reads, logs and dispatches the request; tokenizer errors and requests meant for
    // another host get the 400 page.
    // Other failures leave it for the worker to answer with the 500 page.
    void ParseRequest(THTTPParser& parser, TWebServerRequest& request);
    // True when it answered; otherwise it has sent the 404 page.
    bool ServeRequest(TWebServerRequest& request, bool headOnly);

    void SendBadRequest(TWebServerRequest& request);
    void SendNotFound(TWebServerRequest& request);
    void SendServerError(TWebServerRequest& request, const std::string& message);

    // The full path of the file that the request names, or empty.
    std::string FindFile(const std::string& searchPath, TWebServerRequest& request) const;
    std::string ContentTypeFor(const std::string& fileName) const;

private:
    // Web-application components answer the paths that name them; true when one did.
    bool AnsweredByComponent(TWebServerRequest& request);
    void SendFile(TWebServerRequest& request, const std::string& file, bool headOnly);
    void SendPage(TWebServerRequest& request, int statusCode, std::string page);

    TCustomWebServer& server_;
};

}  // namespace quillane
