#pragma once

#include <memory>
#include <string>

#include "DateTime.h"
#include "Streams.h"

namespace quillane {

class TClientConnection;
class TServerLog;
class TWebServerRequest;

// The reason phrase of a status code, or empty for a code without one.
std::string StatusPhrase(int code);

// Collects the status, headers and body of one answer and writes them in one fixed
// layout. When it goes, everything written to the client becomes a log entry.
class TWebServerResponse {
public:
    // A file body is handed to the connection in pieces as large as one sendfile call
    // takes, so that the system, not a small buffer here, decides how it is cut.
    static constexpr std::size_t BodyPieceSize = 0x7ffff000;

    TWebServerResponse(TWebServerRequest& request, TClientConnection* connection, TServerLog& log);
    ~TWebServerResponse();
    TWebServerResponse(const TWebServerResponse&) = delete;
    TWebServerResponse& operator=(const TWebServerResponse&) = delete;

    int StatusCode() const { return statusCode_; }
    void SetStatusCode(int code);
    void SetContentText(std::string text);
    void SetContentStream(std::unique_ptr<TFileStream> stream);
    const std::string& ContentText() const { return contentText_; }
    std::int64_t ContentLength() const { return contentLength_; }
    bool HasContentStream() const { return contentStream_ != nullptr; }

    void WriteResponse();
    void WriteRedirect(const std::string& url);

    std::string ReasonPhrase = "OK";
    std::string Location;
    TDateTime Date;
    std::string Server = "Quillane Server/1.0";
    std::string WwwAuthenticate;
    std::string Realm;
    std::string Allow;
    std::string ContentVersion;
    std::string DerivedFrom;
    TDateTime Expires = -1;
    TDateTime LastModified = -1;
    std::string Title;
    std::string ContentEncoding;
    std::string ContentType;

private:
    std::string HeaderText() const;
    void SendContentStream();

    TWebServerRequest& request_;
    TClientConnection* connection_;
    TServerLog& log_;
    int statusCode_ = 200;
    std::string contentText_;
    std::int64_t contentLength_ = 0;
    std::unique_ptr<TFileStream> contentStream_;
};

}  // namespace quillane
