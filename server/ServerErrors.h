#pragma once

#include "ConvertError.h"

#include <stdexcept>
#include <string>

namespace quillane {

class TWebServerRequest;

// A tokenizer failure while a request was read; answered with the 400 page.
class EParserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};


// A failing socket call of the listener or of a connection.
class ESocketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that exists but cannot be opened for sending.
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An index outside the request's fields.
class EListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Data handed to the server that is of no kind it can send.
class EVariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A component class that cannot be made, offers no web-application interface, or whose
// answer failed; carries the failure's text.
class EComponentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure while one request was read or served; knows that request (may be none).
class EWebServerException : public std::runtime_error {
public:
    EWebServerException(const std::string& message, TWebServerRequest* request)
        : std::runtime_error(message), Request(request) {}
    TWebServerRequest* Request;
};

}  // namespace quillane
