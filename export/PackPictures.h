#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace quillane {

class TGlobal;
struct TStoredPack;

// One picture of a pack as it is saved: read from `source`, written as `fileName`.
struct TPackPicture {
    QString source;
    QString name;
    QString shortcut;
    QString fileName;
    // The Flash movie of a wink or dynamic display picture, whose still picture `source` is.
    QByteArray movie;
};

struct TPackPictures {
    std::vector<TPackPicture> pictures;
    // The items the pack lists but could not give, by name: a cabinet damaged part-way.
    QStringList missing;
    // The items whose files are no GIF, PNG, JPEG or BMP picture, by name.
    QStringList notPictures;
    // An emoticon pack gets a list of names, shortcuts and files beside its pictures.
    bool emoticons = false;
    // Why nothing can be saved, for the user; empty when the pictures were found.
    QString failure;
};

// The file name of the list that goes with an emoticon pack's pictures.
inline constexpr const char* kShortcutList = "shortcuts.txt";

// File names written into the chosen folder take at most this many bytes of
// UTF-8, well within what any file system holds.
inline constexpr int kLongestFileNameBytes = 200;

// A name made safe as a file name on any file system: no folder separators,
// no characters that some systems refuse, no leading dot, not empty, and with
// `extension` at most `longestBytes` long, cut at a whole character.
QString SafeFileName(const QString& name, const QString& extension = QString(), int longestBytes = kLongestFileNameBytes);

// Unpacks the pack into `workFolder` (which it makes) and finds its pictures:
// emoticons, display pictures and backgrounds as they are, and the still
// picture of a dynamic display picture or a wink from its inner cabinet, with
// its movie. Only
// GIF, PNG, JPEG and BMP pictures count, known by their first bytes; each is
// named after its item, with the extension of its format. Touches no window.
TPackPictures FindPackPictures(const TGlobal& global, const std::string& packPath, const std::string& workFolder);

// The pictures of a pack in the content store (whose folder ends in "/"), as
// FindPackPictures finds them; a wink's still picture is written into
// `workFolder`, which is made when missing.
TPackPictures StoredPackPictures(const TStoredPack& pack, const std::string& storeFolder, const std::string& workFolder);

// The names in the folder that saving would replace (the list included): any
// entry counts, a dangling link as much as a file.
QStringList TakenNames(const TPackPictures& pictures, const QString& folder);

// Copies the pictures into the folder (and the list, for emoticons). Entries
// there already are replaced themselves when `replace` is true, never written
// through, and kept otherwise (the new file takes a numbered name). Returns
// what could not be written, one line each; empty when all were.
QStringList SavePackPictures(const TPackPictures& pictures, const QString& folder, bool replace);

}  // namespace quillane
