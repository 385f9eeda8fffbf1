#pragma once

#include "ReplacementFile.h"
#include "UniqueFd.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillane {

// Where the response headers go: in file mode the setting names a file,
// which is created (or emptied) and written; otherwise the setting's own
// text is emptied and receives the bytes.
class TransferOutput {
public:
    void Open(bool fileMode, std::string& setting);
    void Append(std::string_view bytes);
    // Closes the file; a failed close means the data may not be on disk.
    void Close();

private:
    std::string path_;
    UniqueFd file_;
    std::string* text_ = nullptr;
};

// Where the body of a successful answer goes: in file mode into the file
// that the setting names, otherwise into the setting's own text. Either
// takes the new body only at Keep, when it has arrived whole; a body never
// kept leaves the setting, and the file, as they were.
class BodyOutput {
public:
    BodyOutput(bool fileMode, std::string& setting);
    void Append(std::string_view bytes);
    void Keep();

private:
    std::string& setting_;
    std::optional<ReplacementFile> file_;
    std::string text_;
};

}  // namespace quillane
