#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace quillane {

class TGlobal;

// One picture of a pack as it is saved: read from `source`, written as `fileName`.
struct TPackPicture {
    QString source;
    QString name;
    QString shortcut;
    QString fileName;
};

struct TPackPictures {
    std::vector<TPackPicture> pictures;
    // An emoticon pack gets a list of names, shortcuts and files beside its pictures.
    bool emoticons = false;
    // Why nothing can be saved, for the user; empty when the pictures were found.
    QString failure;
};

// The file name of the list that goes with an emoticon pack's pictures.
inline constexpr const char* kShortcutList = "shortcuts.txt";

// A name made safe as a file name on any file system: no folder separators,
// no characters that some systems refuse, no leading dot, not empty, not too long.
QString SafeFileName(const QString& name);

// Unpacks the pack into `workFolder` (which it makes) and finds its pictures:
// emoticons, display pictures and backgrounds as they are, and the still
// picture of a dynamic display picture or a wink from its inner cabinet. Only
// GIF, PNG, JPEG and BMP pictures count, known by their first bytes; each is
// named after its item, with the extension of its format. Touches no window.
TPackPictures FindPackPictures(const TGlobal& global, const std::string& packPath, const std::string& workFolder);

// The files that saving into the folder would replace (the list included).
QStringList TakenNames(const TPackPictures& pictures, const QString& folder);

// Copies the pictures into the folder (and the list, for emoticons). Files
// there already are replaced when `replace` is true, and kept otherwise (the
// new file takes a numbered name). Returns what could not be written, one
// line each; empty when all were.
QStringList SavePackPictures(const TPackPictures& pictures, const QString& folder, bool replace);

}  // namespace quillane
