#pragma once

#include <stdexcept>

namespace quillane {

// A text that is not a number ("'<text>' is not a valid integer value"), or
// values that make no valid date or time. The server and the download client
// both raise it.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace quillane
