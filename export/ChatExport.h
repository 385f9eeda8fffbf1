#pragma once

#include "ChatTargets.h"
#include "PackPictures.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>

namespace quillane {

class TGlobal;
struct TStoredPack;

// What the user chose beside the target.
struct TChatExportOptions {
    // An export already there is replaced.
    bool replace = false;
    // An animation longer than the program takes runs faster to fit, instead of being cut.
    bool speedUp = false;
    // The emoji of a sticker whose shortcut stands for none.
    QString emoji = QStringLiteral("🙂");
};

// What an export did, as the user reads it.
struct TChatExportReport {
    // Where the pack went: its folder, or its archive.
    QString written;
    // Each file written, with what was changed to make it fit: "Smile.png: scaled 6x".
    QStringList files;
    // Each item left out, with why.
    QStringList leftOut;
    // What the user should know of the pack as a whole: "WhatsApp stickers come in packs of 3 or more; ...".
    QStringList notes;
    // Why nothing was exported; empty when the pack was.
    QString failure;
};

// A pack to export: the name its folder or archive takes, and how its
// pictures are found in a work folder of the export's own.
struct TChatExportSource {
    QString title;
    std::function<TPackPictures(const std::string& workFolder)> pictures;
};

// A pack file (.QZK, .QZC, .CAB, .mco), unpacked into the work folder.
TChatExportSource PackFileSource(const TGlobal& global, const std::string& packPath);
// A pack in the content store, read where it lies.
TChatExportSource StoredPackSource(const TStoredPack& pack, const std::string& storeFolder);

// Where the export of the pack goes in the output folder: its folder, or its archive.
QString ChatExportDestination(const QString& title, const TChatTarget& target, const QString& outputFolder);

// A pack's pictures, found in a work folder of the export's own that lasts as long as they do.
struct TChatExportPictures {
    QString title;
    std::unique_ptr<QTemporaryDir> work;
    TPackPictures pictures;
    // What the user should know of how pictures were made: a movie exported as its still picture, and why.
    QStringList notes;
};

// Why the export cannot go into the output folder: one is there already and
// the options do not replace it. Empty when it can.
QString ChatExportBlocked(const QString& title, const TChatTarget& target, const QString& outputFolder,
                          const TChatExportOptions& options);

// Finds the pack's pictures, unpacking it when it is a file. Touches no window.
TChatExportPictures FindChatExportPictures(const TGlobal& global, const TChatExportSource& pack);

// Exports the pictures found for a chat program into
// `outputFolder`: a folder named after the pack (split into numbered folders
// where the program takes packs of fewer files), or an archive of that name
// where the program imports one. Every file is read back and judged against
// the target's limits before it is written; one that cannot keep them is
// left out and named. The pack's folder or archive appears whole or not at
// all; one already there is replaced only when the options say so, and then
// as an entry of its own, a link never followed. Touches no window: it may
// run off the window's thread.
TChatExportReport ExportPicturesForChat(const TChatExportPictures& found, const TChatTarget& target, const QString& outputFolder,
                                        const TChatExportOptions& options);

// Finds the pictures of a pack file and exports them, a wink's movie as its still picture.
TChatExportReport ExportPackForChat(const TGlobal& global, const std::string& packPath, const TChatTarget& target,
                                    const QString& outputFolder, const TChatExportOptions& options);

}  // namespace quillane
