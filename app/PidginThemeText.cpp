#include "PidginThemeText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace quillane {
namespace {

// Pidgin's white space: ASCII only, so no byte of a UTF-8 character counts.
bool IsThemeSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The bytes of the UTF-8 character that begins with this byte.
size_t CharacterLength(char lead) {
    const auto c = static_cast<unsigned char>(lead);
    if (c >= 0xF0 && c <= 0xF7) return 4;
    if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
    if (c >= 0xC0) return 2;
    return 1;
}

// Where the text's last character begins when it is not whole, else its end;
// never at its start, so that a token of broken UTF-8 still moves on.
size_t WholeCharactersEnd(std::string_view text) {
    size_t start = text.size() - 1;
    while (start > 0 && IsContinuation(text[start]) && text.size() - start < 4) --start;
    return start > 0 && start + CharacterLength(text[start]) > text.size() ? start : text.size();
}

bool StartsWithKey(std::string_view line, std::string_view key) {
    return line.size() >= key.size() && std::equal(key.begin(), key.end(), line.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// The text cut where Pidgin cuts it: after each line feed and after 255 bytes.
// A piece is a C string to Pidgin, so a NUL byte ends it.
template <typename Piece>
void ForEachPiece(std::string_view text, Piece piece) {
    for (size_t at = 0; at < text.size();) {
        const size_t lineFeed = text.find('\n', at);
        const size_t end = std::min(lineFeed == std::string_view::npos ? text.size() : lineFeed + 1, at + kThemePieceBytes);
        const std::string_view bytes = text.substr(at, end - at);
        piece(bytes.substr(0, bytes.find('\0')));
        at = end;
    }
}

// One token from `at` on, its backslashes taken out; `at` moves behind it.
std::string ReadToken(std::string_view line, size_t& at) {
    std::string token;
    std::vector<size_t> sourceOf;  // where each byte of the token was read
    while (at < line.size() && !IsThemeSpace(line[at]) && token.size() < kThemeTokenBytes) {
        sourceOf.push_back(at);
        if (line[at] == '\\' && at + 1 < line.size()) ++at;
        token += line[at++];
    }
    if (token.size() == kThemeTokenBytes) {
        // A character that does not fit whole begins the next token.
        const size_t whole = WholeCharactersEnd(token);
        if (whole < token.size()) {
            at = sourceOf[whole];
            token.resize(whole);
        }
    }
    return token;
}

TThemeLine ReadSmileyLine(std::string_view line) {
    TThemeLine smiley;
    size_t at = 0;
    if (line.substr(0, 2) == "! ") {
        smiley.hidden = true;
        at = 2;
    }
    for (;;) {
        while (at < line.size() && IsThemeSpace(line[at])) ++at;
        if (at == line.size()) break;
        std::string token = ReadToken(line, at);
        if (smiley.picture.empty()) {
            smiley.picture = std::move(token);
        } else {
            smiley.shortcuts.push_back(std::move(token));
        }
    }
    return smiley;
}

// The key's value, when the line is that key.
bool ReadKey(std::string_view line, std::string_view key, std::string& value) {
    if (!StartsWithKey(line, key)) return false;
    value = line.substr(key.size());
    return true;
}

void ReadPiece(std::string_view piece, TThemeText& theme) {
    if (piece.empty() || piece.front() == '#') return;
    while (!piece.empty() && (piece.back() == '\r' || piece.back() == '\n')) piece.remove_suffix(1);
    while (!piece.empty() && IsThemeSpace(piece.front())) piece.remove_prefix(1);
    if (piece.empty()) return;
    if (piece.front() == '[') {
        const size_t close = piece.find(']');
        if (close != std::string_view::npos) {
            theme.sections.push_back({std::string(piece.substr(1, close - 1)), {}});
            return;
        }
    }
    if (ReadKey(piece, "Name=", theme.name) || ReadKey(piece, "Description=", theme.description) ||
        ReadKey(piece, "Icon=", theme.icon) || ReadKey(piece, "Author=", theme.author)) {
        return;
    }
    if (theme.sections.empty()) return;
    TThemeLine smiley = ReadSmileyLine(piece);
    if (!smiley.picture.empty()) theme.sections.back().lines.push_back(std::move(smiley));
}

std::string Escaped(std::string_view shortcut) {
    std::string token;
    for (const char c : shortcut) {
        if (c == '\\' || IsThemeSpace(c)) token += '\\';
        token += c;
    }
    return token;
}

}  // namespace

TThemeText ParseThemeText(std::string_view text) {
    TThemeText theme;
    ForEachPiece(text, [&theme](std::string_view piece) { ReadPiece(piece, theme); });
    return theme;
}

std::string PidginSmileysFolder() {
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.purple/smileys/";
}

bool ThemeCanHoldShortcut(std::string_view shortcut) {
    // A line break or a NUL byte would end the line whatever comes before it,
    // and a token of the longest length that ends in part of a character is cut.
    return !shortcut.empty() && shortcut.size() <= kThemeTokenBytes &&
           shortcut.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
           (shortcut.size() < kThemeTokenBytes || WholeCharactersEnd(shortcut) == shortcut.size());
}

std::string ThemeKeyLine(std::string_view key, std::string_view value) {
    std::string line = std::string(key) + "=";
    for (size_t at = 0; at < value.size();) {
        // A lead byte counts with the continuation bytes that follow it, and
        // never takes an ASCII byte along as part of its character.
        size_t length = 1;
        while (length < CharacterLength(value[at]) && at + length < value.size() && IsContinuation(value[at + length])) {
            ++length;
        }
        std::string unit(value.substr(at, length));
        at += length;
        if (unit == "&") unit = "&amp;";
        else if (unit == "<") unit = "&lt;";
        else if (unit == ">") unit = "&gt;";
        else if (static_cast<unsigned char>(unit[0]) < 0x20 || unit[0] == 0x7F) unit = " ";
        if (line.size() + unit.size() + 1 > kThemePieceBytes) break;
        line += unit;
    }
    return line + "\n";
}

std::string ThemeSmileyLines(std::string_view picture, const std::vector<std::string>& shortcuts) {
    std::string lines;
    std::string line(picture);
    for (const std::string& shortcut : shortcuts) {
        const std::string token = Escaped(shortcut);
        if (line.size() > picture.size() && line.size() + 1 + token.size() + 1 > kThemePieceBytes) {
            lines += line + "\n";
            line = picture;
        }
        line += " " + token;
    }
    return lines + line + "\n";
}

}  // namespace quillane
