#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ClientConnection.h"
#include "DateTime.h"
#include "HttpParser.h"
#include "Streams.h"

namespace quillane {

enum TMethodKind { mkAny = 0, mkGet = 1, mkPut = 2, mkPost = 3, mkHead = 4 };

// Field indexes of TWebServerRequest.
enum : int {
    fiRequestMethod = 0,
    fiServerProtocol = 1,
    fiUrl = 2,
    fiQueryString = 3,
    fiPathInfo = 4,
    fiPathTranslated = 5,
    fiCacheControl = 6,
    fiDate = 7,
    fiAccept = 8,
    fiFrom = 9,
    fiHost = 10,
    fiIfModifiedSince = 11,
    fiReferer = 12,
    fiUserAgent = 13,
    fiContentEncoding = 14,
    fiContentType = 15,
    fiContentLength = 16,
    fiContentVersion = 17,
    fiDerivedFrom = 18,
    fiExpires = 19,
    fiTitle = 20,
    fiRemoteAddr = 21,
    fiRemoteHost = 22,
    fiScriptName = 23,
    fiServerPort = 24,
    fiContent = 25,
    fiConnection = 26,
    fiCookie = 27,
    fiAuthorization = 28,
    FieldCount = 29,
};

// One request of one connection: the request line, known headers, other headers,
// the content, and the writes the response uses.
class TWebServerRequest {
public:
    // The remote host's name is looked up when field 22 is first read: a reverse
    // lookup reads the system's name files, which most requests never need.
    TWebServerRequest(int serverPort, const std::string& remoteAddress,
                      std::function<std::string()> lookUpRemoteHost);

    TMethodKind MethodKind() const { return methodKind_; }
    const std::vector<std::string>& ExtraHeaders() const { return extraHeaders_; }

    // Raises EListError "Index out of bounds" outside 0 to 28; field 25 is read from
    // the content, and field 22 looked up, on first use.
    std::string GetText(int index);
    void SetText(int index, const std::string& text);
    // -1 for an empty field; EConvertError for a text that is not a number.
    std::int32_t GetInteger(int index);
    void SetInteger(int index, std::int32_t value);
    // -1 when the date field was never set.
    TDateTime GetDate(int index) const;
    void SetDate(int index, TDateTime date);

    std::string FieldByName(std::string_view name);
    void AddExtraHeader(const std::string& name, const std::string& value);

    // Takes over the content gathered after the headers.
    void SetContent(TTakenContent content);
    std::size_t ReadContent(char* buffer, std::size_t count);
    std::string ReadContentText(std::size_t count);
    std::string MapUri(const std::string& uri) const { return uri; }

    TClientConnection* Connection() const { return connection_; }
    void SetConnection(TClientConnection* connection) { connection_ = connection; }
    std::size_t SendBytes(const char* data, std::size_t count);
    bool SendText(std::string_view text);
    // Always names HTTP/1.1; the status code is not used.
    bool SendHead(int statusCode, const std::string& statusText, const std::string& headers);

    // The content store as text: the head bytes still buffered, then the content.
    const std::string& RawRequestText();
    // Everything written through SendBytes; the response's log entry takes it.
    std::string TakeSentText();

private:
    void CheckIndex(int index) const;

    TMethodKind methodKind_ = mkAny;
    std::array<std::string, FieldCount> fields_;
    std::function<std::string()> lookUpRemoteHost_;
    std::array<TDateTime, FieldCount> dates_;
    std::vector<std::string> extraHeaders_;
    TClientConnection* connection_ = nullptr;
    std::unique_ptr<TMemoryStream> contentStore_;
    std::string bufferedContent_;
    std::size_t contentReadPos_ = 0;
    std::optional<std::string> rawRequestText_;
    std::string sentText_;
};

}  // namespace quillane
