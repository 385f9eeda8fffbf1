#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillane {

// The 128-bit identifier of a component class, kept as its sixteen bytes in the order
// its text form writes them.
struct TClassId {
    std::array<std::uint8_t, 16> Bytes{};
    friend bool operator==(const TClassId&, const TClassId&) = default;
};

// Reads the text form in braces, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal
// digits of either case; anything else is no class identifier.
std::optional<TClassId> ClassIdFromText(std::string_view text);

}  // namespace quillane
