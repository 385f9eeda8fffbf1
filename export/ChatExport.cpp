#include "ChatExport.h"

#include "CanvasFitting.h"
#include "ChatBundles.h"
#include "ChatFileCheck.h"
#include "ChatFileEncoding.h"
#include "ChatNames.h"
#include "EveryCore.h"
#include "FrameTiming.h"
#include "PackDescription.h"
#include "PidginThemeText.h"
#include "RemoveTree.h"
#include "ShortcutEmoji.h"
#include "SourceFrames.h"
#include "TextFile.h"
#include "WinksGlobal.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <stdexcept>
#include <vector>

namespace quillane {
namespace {

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString ArchiveExtension(TChatBundle bundle) {
    switch (bundle) {
        case TChatBundle::Zip: return ".zip";
        case TChatBundle::TarGz: return ".tar.gz";
        case TChatBundle::Folder: break;
    }
    return {};
}

// A file made for the target, with the item it came from.
struct TMadeFile {
    TBundleFile file;
    QString emoji;
    QString shortcut;
};

// Frames made to the target's canvas, length, rate and bytes in its format
// for still or animated pictures, then judged by reading them back.
TEncodedFile MakeBytes(const TChatTarget& target, const TSourceFrames& source, const TChatExportOptions& options,
                       QStringList& changes) {
    const TChatFormat format = source.Animated() ? target.animated : target.still;
    const std::size_t limit = source.Animated() ? target.animatedBytes : target.stillBytes;
    const TCanvasFrames canvas = FitOnCanvas(source.frames, target.side, target.margin);
    if (!canvas.change.isEmpty()) changes << canvas.change;
    TTimedFrames timed{canvas.frames, source.delaysMs, {}};
    if (source.Animated()) timed = FitTiming(canvas.frames, source.delaysMs, target.longestSeconds, target.highestFrameRate, options.speedUp);
    changes += timed.changes;
    TEncodedFile encoded = EncodeChatFile(timed.frames, timed.delaysMs, format, limit);
    changes += encoded.changes;
    if (!encoded.failure.isEmpty()) return encoded;
    // Never written over the target's limits, whatever the encoding thought.
    encoded.failure = CheckChatFile(target, encoded.bytes, format);
    return encoded;
}

// One picture made into the target's file: its bytes and extension with
// what was changed, or why it cannot be made.
struct TMadeBytes {
    QByteArray bytes;
    QString extension;
    QStringList changes;
    QString failure;
};

TMadeBytes MakePictureBytes(const TChatTarget& target, const TPackPicture& picture, const TChatExportOptions& options) {
    TMadeBytes made;
    try {
        const TSourceFrames source = ReadSourceFrames(picture.source);
        if (!source.failure.isEmpty()) {
            made.failure = source.failure;
            return made;
        }
        const TEncodedFile encoded = MakeBytes(target, source, options, made.changes);
        made.bytes = encoded.bytes;
        made.failure = encoded.failure;
        made.extension = QString::fromStdString(ExtensionOf(source.Animated() ? target.animated : target.still));
    } catch (const std::exception& error) {
        made.failure = QString::fromStdString(error.what());
    }
    return made;
}

// Every picture made at once, one at a time on each core: the encoders work
// on pictures of their own and share nothing.
std::vector<TMadeBytes> MakeAllPictureBytes(const TChatTarget& target, const std::vector<TPackPicture>& pictures,
                                            const TChatExportOptions& options) {
    std::vector<TMadeBytes> made(pictures.size());
    ForEachOnEveryCore(pictures.size(), [&](std::size_t i) { made[i] = MakePictureBytes(target, pictures[i], options); });
    return made;
}

// The still of the first picture as the tray icon a sticker pack shows.
std::optional<TBundleFile> TrayIcon(const TChatTarget& target, const TPackPicture& first, TChatExportReport& report) {
    TSourceFrames source = ReadSourceFrames(first.source);
    if (!source.failure.isEmpty()) return std::nullopt;
    source.frames.resize(1);
    source.delaysMs.resize(1);
    QStringList changes;
    // A square PNG of the tray's side to its edges, within the tray's bytes.
    TChatTarget tray = target;
    tray.still = TChatFormat::Png;
    tray.side = target.traySide;
    tray.margin = 0;
    tray.stillBytes = target.trayBytes;
    const TEncodedFile encoded = MakeBytes(tray, source, {}, changes);
    if (!encoded.failure.isEmpty()) {
        report.notes << "No tray icon: " + encoded.failure + ".";
        return std::nullopt;
    }
    return TBundleFile{"tray.png", encoded.bytes};
}

// Pidgin's theme file: the pack's name, its first picture as the icon, each picture with its shortcut.
TBundleFile ThemeFile(const QString& title, const std::vector<TMadeFile>& made) {
    std::string text = ThemeKeyLine("Name", title.toStdString()) + ThemeKeyLine("Description", "Made by Quillane") +
                       ThemeKeyLine("Icon", made.front().file.name.toStdString()) + "\n[default]\n";
    for (const TMadeFile& file : made) {
        std::vector<std::string> shortcuts;
        if (ThemeCanHoldShortcut(file.shortcut.toStdString())) shortcuts.push_back(file.shortcut.toStdString());
        text += ThemeSmileyLines(file.file.name.toStdString(), shortcuts);
    }
    return {"theme", QByteArray::fromStdString(text)};
}

// What the sticker bot is sent with each file, one line each.
TBundleFile TelegramList(const std::vector<TMadeFile>& made) {
    QString text = "File\tEmoji\n";
    for (const TMadeFile& file : made) text += file.file.name + '\t' + file.emoji + '\n';
    return {"emoji.txt", text.toUtf8()};
}

// The manifest that signal-cli uploadStickerPack reads.
TBundleFile SignalManifest(const QString& title, const std::vector<TMadeFile>& made) {
    QJsonArray stickers;
    for (const TMadeFile& file : made) stickers.append(QJsonObject{{"file", file.file.name}, {"emoji", file.emoji}});
    const QJsonObject manifest{{"title", title},
                               {"author", "Quillane"},
                               {"cover", QJsonObject{{"file", made.front().file.name}, {"emoji", made.front().emoji}}},
                               {"stickers", stickers}};
    return {"manifest.json", QJsonDocument(manifest).toJson()};
}

// The files in a folder beside `target`, then renamed into its place, an entry there before replaced only then.
void WriteFolder(const QString& target, const std::vector<TBundleFile>& files) {
    QTemporaryDir fresh(target + ".XXXXXX");
    if (!fresh.isValid()) throw std::runtime_error("no folder can be made there");
    for (const TBundleFile& file : files) {
        if (file.name.endsWith('/')) {
            if (!QDir(fresh.path()).mkpath(file.name)) throw std::runtime_error(("\"" + file.name + "\" cannot be made").toStdString());
            continue;
        }
        if (!ReplaceEntryAtomically(Local(fresh.filePath(file.name)), std::string_view(file.bytes.constData(), file.bytes.size()))) {
            throw std::runtime_error(("\"" + file.name + "\" cannot be written").toStdString());
        }
    }
    std::error_code error;
    if (SomethingAt(Local(target)) && !RemoveTree(Local(target), error)) throw std::runtime_error("the old export cannot be removed");
    if (std::rename(Local(fresh.path()).c_str(), Local(target).c_str()) != 0) throw std::runtime_error("the folder cannot be put in place");
    fresh.setAutoRemove(false);
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                      QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
}

// The made files as the target's folder holds them: its lists beside the
// pictures, split into numbered folders of at most the files a pack takes.
std::vector<TBundleFile> Laid(const TChatTarget& target, const QString& title, const std::vector<TMadeFile>& made,
                              const std::optional<TBundleFile>& tray) {
    const std::size_t per = target.perFolder > 0 ? static_cast<std::size_t>(target.perFolder) : made.size();
    const bool split = made.size() > per;
    std::vector<TBundleFile> laid;
    for (std::size_t start = 0; start < made.size(); start += per) {
        const std::vector<TMadeFile> part(made.begin() + static_cast<std::ptrdiff_t>(start),
                                          made.begin() + static_cast<std::ptrdiff_t>(std::min(made.size(), start + per)));
        const QString inside = split ? QString("%1 %2/").arg(title).arg(start / per + 1) : QString();
        if (!inside.isEmpty()) laid.push_back({inside, {}});
        std::vector<TBundleFile> files;
        for (const TMadeFile& file : part) files.push_back(file.file);
        if (target.emoji == TChatEmojiList::TelegramList) files.push_back(TelegramList(part));
        if (target.emoji == TChatEmojiList::SignalManifest) files.push_back(SignalManifest(title, part));
        if (target.bundle == TChatBundle::TarGz) files.push_back(ThemeFile(title, part));
        if (tray) files.push_back(*tray);
        for (TBundleFile& file : files) laid.push_back({inside + file.name, file.bytes});
    }
    return laid;
}

}  // namespace

TChatExportSource PackFileSource(const TGlobal& global, const std::string& packPath) {
    return {QFileInfo(QString::fromStdString(packPath)).completeBaseName(),
            [&global, packPath](const std::string& workFolder) { return FindPackPictures(global, packPath, workFolder); }};
}

TChatExportSource StoredPackSource(const TStoredPack& pack, const std::string& storeFolder) {
    return {QString::fromStdString(PackExportName(pack)),
            [pack, storeFolder](const std::string& workFolder) { return StoredPackPictures(pack, storeFolder, workFolder); }};
}

QString ChatExportDestination(const QString& title, const TChatTarget& target, const QString& outputFolder) {
    const QString folder = outputFolder.endsWith('/') ? outputFolder : outputFolder + '/';
    return folder + SafeFileName(title, ArchiveExtension(target.bundle).mid(1));
}

QString ChatExportBlocked(const QString& title, const TChatTarget& target, const QString& outputFolder,
                          const TChatExportOptions& options) {
    const QString destination = ChatExportDestination(title, target, outputFolder);
    if (!SomethingAt(Local(destination)) || options.replace) return {};
    return QString("\"%1\" is already there.").arg(QFileInfo(destination).fileName());
}

TChatExportPictures FindChatExportPictures(const TGlobal& global, const TChatExportSource& pack) {
    TChatExportPictures found;
    found.title = pack.title;
    found.work = std::make_unique<QTemporaryDir>(QString::fromStdString(global.TempDir) + "export-XXXXXX");
    if (!found.work->isValid()) {
        found.pictures.failure = "No room to unpack the pack.";
        return found;
    }
    found.pictures = pack.pictures(Local(found.work->path()) + "/");
    return found;
}

TChatExportReport ExportPackForChat(const TGlobal& global, const std::string& packPath, const TChatTarget& target,
                                    const QString& outputFolder, const TChatExportOptions& options) {
    return ExportPicturesForChat(FindChatExportPictures(global, PackFileSource(global, packPath)), target, outputFolder, options);
}

TChatExportReport ExportPicturesForChat(const TChatExportPictures& found, const TChatTarget& target, const QString& outputFolder,
                                        const TChatExportOptions& options) {
    TChatExportReport report;
    const QString& title = found.title;
    const TPackPictures& pictures = found.pictures;
    report.written = ChatExportDestination(title, target, outputFolder);
    report.failure = ChatExportBlocked(title, target, outputFolder, options);
    if (!report.failure.isEmpty()) return report;
    report.notes = found.notes;
    for (const QString& missing : pictures.missing) report.leftOut << missing + ": could not be unpacked, the pack is damaged";
    for (const QString& other : pictures.notPictures) report.leftOut << other + ": not a GIF, PNG, JPEG or BMP picture";
    if (!pictures.failure.isEmpty()) {
        report.failure = pictures.failure;
        return report;
    }
    TChatNames names(target.naming);
    std::vector<TMadeFile> made;
    std::vector<TMadeBytes> bytes = MakeAllPictureBytes(target, pictures.pictures, options);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const TPackPicture& picture = pictures.pictures[i];
        if (!bytes[i].failure.isEmpty()) {
            report.leftOut << picture.name + ": " + bytes[i].failure;
            continue;
        }
        const QString fileName = names.Take(picture.name) + "." + bytes[i].extension;
        report.files << (bytes[i].changes.isEmpty() ? fileName : fileName + ": " + bytes[i].changes.join(", "));
        made.push_back({{fileName, std::move(bytes[i].bytes)}, EmojiForShortcut(picture.shortcut, options.emoji), picture.shortcut});
    }
    if (made.empty()) {
        report.failure = "Nothing in this pack could be exported.";
        return report;
    }
    if (static_cast<int>(made.size()) < target.fewest) {
        report.notes << QString("%1 come in packs of %2 or more; add pictures to this one before you import it.")
                            .arg(QString::fromUtf8(target.title.data(), static_cast<qsizetype>(target.title.size())))
                            .arg(target.fewest);
    }
    const std::optional<TBundleFile> tray = target.traySide > 0 ? TrayIcon(target, pictures.pictures.front(), report) : std::nullopt;
    try {
        std::vector<TBundleFile> files = Laid(target, title, made, tray);
        if (target.bundle == TChatBundle::Folder) {
            WriteFolder(report.written, files);
            return report;
        }
        // A theme is its folder inside the archive.
        if (target.bundle == TChatBundle::TarGz) {
            const QString inside = SafeFileName(title) + "/";
            for (TBundleFile& file : files) file.name.prepend(inside);
            files.insert(files.begin(), {inside, {}});
        }
        const QByteArray archive = ArchiveOf(files, target.bundle);
        if (!ReplaceEntryAtomically(Local(report.written), std::string_view(archive.constData(), archive.size()))) {
            throw std::runtime_error("it cannot be written");
        }
    } catch (const std::exception& error) {
        report.failure = QString("\"%1\" could not be written: %2.").arg(QFileInfo(report.written).fileName(), error.what());
    }
    return report;
}

}  // namespace quillane
