#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillane {

// The text file "theme" of a Pidgin smiley theme, as Pidgin 2.14 reads it:
// the file comes in pieces of at most 255 bytes (a longer line goes on as a
// new line), a piece beginning with "#" is a comment, "[name]" opens a
// section, Name=, Description=, Icon= and Author= are keys in any letter case
// on any line, and every other line of a section names a picture and its
// shortcuts, separated by ASCII white space. A backslash takes the next byte
// as it is; a token holds at most 63 bytes, cut at a whole UTF-8 character,
// the rest making the next token. "! " at the start of a line hides its smileys.
// The export writes the file by these rules and the import reads it by them.

inline constexpr std::size_t kThemePieceBytes = 255;
inline constexpr std::size_t kThemeTokenBytes = 63;

struct TThemeLine {
    bool hidden = false;
    std::string picture;
    std::vector<std::string> shortcuts;
};

struct TThemeSection {
    std::string name;
    std::vector<TThemeLine> lines;
};

struct TThemeText {
    // As written, the last of each key winning; the Name, Description and
    // Author are markup to Pidgin's theme list.
    std::string name;
    std::string description;
    std::string icon;
    std::string author;
    std::vector<TThemeSection> sections;
};

TThemeText ParseThemeText(std::string_view text);

// Where libpurple looks for the user's smiley themes: ~/.purple/smileys/.
std::string PidginSmileysFolder();

// Whether a shortcut can stand in a theme and come back as it is.
bool ThemeCanHoldShortcut(std::string_view shortcut);

// The line "Key=value" for the theme's list: markup characters written as
// entities, other control characters as spaces, cut at a whole character
// so that the line, with its line break, stays in one piece.
std::string ThemeKeyLine(std::string_view key, std::string_view value);

// The lines of one picture (a plain file name of at most 63 bytes) and its
// shortcuts (each one that ThemeCanHoldShortcut takes), with their line
// breaks: as many shortcuts on a line as stay in one piece, the picture's
// name starting each line again.
std::string ThemeSmileyLines(std::string_view picture, const std::vector<std::string>& shortcuts);

}  // namespace quillane
