#pragma once

#include "PackContents.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace quillane {

// The chosen file is no smiley theme that can be read.
class EThemeImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a Pidgin smiley theme gives a pack: one emoticon for each picture of
// its [default] section (or of its first section when it has none), named
// after the picture's file, with the picture's first shortcut.
struct TThemeImport {
    std::string themeFile;
    std::vector<TPackItem> emoticons;
    // One line for each picture or shortcut left out, saying why: hidden,
    // missing, outside the theme's folder, not a GIF, PNG, JPEG or BMP
    // picture, named other than in UTF-8, without a shortcut, or a shortcut
    // that a Messenger pack cannot hold or a Messenger emoticon has no room for.
    std::vector<std::string> leftOut;
};

// Reads the theme in the chosen folder, or the chosen theme file itself,
// by the rules Pidgin reads it by. Raises EThemeImportError when there is
// no theme file to read or it holds no section of smileys.
TThemeImport ImportPidginTheme(const std::string& chosen);

}  // namespace quillane
