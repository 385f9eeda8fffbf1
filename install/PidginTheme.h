#pragma once

#include "ContentStore.h"
#include "PidginThemeText.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace quillane {

class EPidginThemeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TThemeSmiley {
    std::string picture;  // the picture's file
    std::string shortcut;
};

// A smiley theme of Pidgin and the other libpurple programs: a folder holding
// the pictures and a text file "theme" of Name=, Description=, Icon= and
// Author= lines, then a [default] section with one line per picture: its file
// name, then its shortcuts, separated by spaces (see PidginThemeText.h).
struct TPidginTheme {
    std::string name;
    std::string description;
    std::string author;
    // In the pack's order; the first one's picture is the theme's icon.
    std::vector<TThemeSmiley> smileys;
};

struct TThemeWritten {
    int pictures = 0;
    // Shortcuts that Pidgin cannot read back as they are: longer than
    // 63 bytes, or holding a line break.
    int shortcutsLeftOut = 0;
};

// The emoticons of a stored pack, as a theme named after the pack.
TPidginTheme PidginThemeOf(const TStoredPack& pack, const std::string& storeFolder);

// The theme's folder in the smileys folder, ending in "/": its name made into one safe folder name.
std::string ThemeFolder(const std::string& smileysFolder, const std::string& themeName);

// Writes the theme as `folder` (ending in "/"), replacing what is there. The
// theme is written beside it and then renamed into place, so that the folder
// always holds a whole theme, the old one or the new one. Raises
// EPidginThemeError, leaving the folder as it was.
TThemeWritten WritePidginTheme(const TPidginTheme& theme, const std::string& folder);

}  // namespace quillane
