#pragma once

#include <string>
#include <string_view>

namespace quillane {

// The server's texts are UTF-8 bytes; components see wide strings. Bytes that form no
// UTF-8 character, and code points that have no UTF-8 form, become U+FFFD.
std::wstring WideFromText(std::string_view text);
std::string TextFromWide(std::wstring_view text);

}  // namespace quillane
