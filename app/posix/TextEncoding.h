#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillane {

// Whether the bytes are well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view text);

// Whether iconv converts from the named character set.
bool IsKnownCharset(const std::string& charset);

// The text converted from the named character set to UTF-8; nothing when
// iconv does not know the set or the bytes are not text in it.
std::optional<std::string> ConvertToUtf8(std::string_view bytes, const std::string& charset);

// Text in Windows code page 1252 as UTF-8. The five bytes the code page
// leaves undefined become the control characters of the same number, as
// Windows reads them, so every byte string has a name.
std::string Windows1252ToUtf8(std::string_view bytes);

// The text with every letter in its upper case (the simple Unicode mapping
// that Windows uses to compare file names without regard to case). Bytes
// that are not UTF-8 stay as they are.
std::string UpperCaseUtf8(std::string_view text);

}  // namespace quillane
