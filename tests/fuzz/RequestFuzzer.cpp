// Arbitrary bytes through the request tokenizer, the request reading and the
// answering of the request, and the log's reading of the answer. The first byte
// sets how many bytes each read from the client delivers (0: all at once), so
// that lines split between reads are covered too.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "HttpParser.h"
#include "LogEntries.h"
#include "RequestHandler.h"
#include "ServerErrors.h"
#include "WebServer.h"

namespace {

using namespace quillane;

class TSlicedStream : public TStream {
public:
    TSlicedStream(std::string bytes, std::size_t slice) : bytes_(std::move(bytes)), slice_(slice) {}
    std::size_t Read(char* buffer, std::size_t count) override {
        const std::size_t taken = std::min({count, bytes_.size() - position_, slice_ ? slice_ : count});
        std::memcpy(buffer, bytes_.data() + position_, taken);
        position_ += taken;
        return taken;
    }
    void Seek(std::int64_t) override {}

private:
    std::string bytes_;
    std::size_t position_ = 0;
    std::size_t slice_;
};

class TRecordingConnection : public TClientConnection {
public:
    bool SendAll(const char* data, std::size_t count) override {
        bytes.append(data, count);
        return true;
    }
    std::string bytes;
};

void ScanTokens(const std::string& input, std::size_t slice) {
    TSlicedStream stream(input, slice);
    try {
        THTTPParser parser(stream);
        for (int steps = 0; parser.Token() != tkEof && steps < 100000; ++steps) {
            const int token = parser.Token();
            const std::string text = parser.TokenText();
            if (token == tkEol) Check(text == "\n");
            if (token == tkInteger && text[0] != '$') Check(text.find_first_not_of("0123456789") == std::string::npos);
            if (token > tkEol && token < 30) Check(KeywordKind(text) == token);
            if (token == tkWord && steps % 3 == 0) {
                parser.RestOfLine();
                parser.SkipLineBreaks();
            } else {
                parser.Advance();
            }
        }
    } catch (const EParserError&) {
    } catch (const EConvertError&) {
    }
}

// Serves the request the way a worker does; the answer must keep a clean head.
void ServeRequest(const std::string& input, std::size_t slice) {
    TCustomWebServer server;
    server.SetSearchPath("/nonexistent-quillane-fuzz/");
    TRequestHandler handler(server);
    TRecordingConnection connection;
    TWebServerRequest request(21888, "127.0.0.1", [] { return std::string("localhost"); });
    request.SetConnection(&connection);
    TSlicedStream stream(input, slice);
    try {
        THTTPParser parser(stream);
        handler.ParseRequest(parser, request);
        request.GetText(fiContent);
        request.FieldByName("HTTP_USER_AGENT");
        request.FieldByName("X-Custom");
        Check(request.RawRequestText().size() <= input.size());
    } catch (const std::exception& error) {
        handler.SendServerError(request, error.what());
    }
    if (!connection.bytes.empty() && !request.GetText(fiServerProtocol).empty()) {
        Check(connection.bytes.rfind("HTTP/1.1 ", 0) == 0);
        const std::size_t headEnd = connection.bytes.find("\r\nContent:\r\n\r\n");
        Check(headEnd != std::string::npos);
        for (std::size_t i = 0; i < headEnd; ++i) {
            const unsigned char c = static_cast<unsigned char>(connection.bytes[i]);
            Check(c >= ' ' || ((c == '\r' || c == '\n') && connection.bytes.compare(i - (c == '\n'), 2, "\r\n") == 0));
        }
    }
    TResponseTransaction entry(connection.bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t slice = data[0];
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    ScanTokens(input, slice);
    ServeRequest(input, slice);
    return 0;
}
