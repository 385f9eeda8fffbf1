#pragma once

#include "UniqueFd.h"

#include <string>
#include <string_view>

namespace quillane {

// Where a response's header or body goes: in file mode the setting names a
// file, which is created (or emptied) and written; otherwise the setting's
// own text is emptied and receives the bytes.
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

}  // namespace quillane
