#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillane {

// Text helpers of the server: plain bytes, ASCII case rules.

bool SameText(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
bool StartsWithText(std::string_view text, std::string_view prefix);

// Signed 32-bit decimal, or hexadecimal after "$"; an optional sign first.
// Raises EConvertError "'%s' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// Replaces every occurrence of from by to.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

// Two digits with a leading zero (or more when needed).
std::string TwoDigits(int value);

}  // namespace quillane
