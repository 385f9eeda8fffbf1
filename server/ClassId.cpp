#include "ClassId.h"

namespace quillane {

namespace {

constexpr std::string_view kLayout = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<TClassId> ClassIdFromText(std::string_view text) {
    if (text.size() != kLayout.size()) return std::nullopt;
    TClassId id;
    std::size_t digits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (kLayout[i] != 'X') {
            if (text[i] != kLayout[i]) return std::nullopt;
            continue;
        }
        const int value = HexValue(text[i]);
        if (value < 0) return std::nullopt;
        id.Bytes[digits / 2] = static_cast<std::uint8_t>(id.Bytes[digits / 2] << 4 | value);
        ++digits;
    }
    return id;
}

}  // namespace quillane
