#pragma once

#include "DateTime.h"
#include "HttpParser.h"
#include "WebServerRequest.h"

namespace quillane {

// Reads the request line, the headers and the content from the parser, which has
// already scanned its first token. Tokenizer errors raise EParserError; numbers and
// dates that cannot be read raise EConvertError.
void ReadRequest(THTTPParser& parser, TWebServerRequest& request);

// Reads a header date in any of its three forms, starting at the header's keyword.
// Leaves the tokens after the date (typically "GMT") to the caller.
TDateTime ParseHeaderDate(THTTPParser& parser);

}  // namespace quillane
