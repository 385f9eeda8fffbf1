#include "ChatExport.h"

#include "CanvasFitting.h"
#include "ChatBundles.h"
#include "ChatFileCheck.h"
#include "ChatFileEncoding.h"
#include "ChatNames.h"
#include "PackPictures.h"
#include "PidginThemeText.h"
#include "RemoveTree.h"
#include "SourceFrames.h"
#include "TextFile.h"
#include "WinksGlobal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// One picture made into the target's file; false with the reason in `leftOut` when it cannot be.
bool MakeFile(const TChatTarget& target, const TPackPicture& picture, TChatNames& names, std::vector<TBundleFile>& files,
              TChatExportReport& report) {
    const TSourceFrames source = ReadSourceFrames(picture.source);
    if (!source.failure.isEmpty()) {
        report.leftOut << picture.name + ": " + source.failure;
        return false;
    }
    const TCanvasFrames canvas = FitOnCanvas(source.frames, target.side);
    const TChatFormat format = source.Animated() ? target.animated : target.still;
    const TEncodedFile encoded =
        EncodeChatFile(canvas.frames, source.delaysMs, format, source.Animated() ? target.animatedBytes : target.stillBytes);
    if (!encoded.failure.isEmpty()) {
        report.leftOut << picture.name + ": " + encoded.failure;
        return false;
    }
    // Never written over the target's limits, whatever the encoding thought.
    if (const QString broken = CheckChatFile(target, encoded.bytes, format); !broken.isEmpty()) {
        report.leftOut << picture.name + ": " + broken;
        return false;
    }
    const QString fileName = names.Take(picture.name) + "." + QString::fromStdString(ExtensionOf(format));
    files.push_back({fileName, encoded.bytes});
    QStringList changes = encoded.changes;
    if (!canvas.change.isEmpty()) changes.prepend(canvas.change);
    report.files << (changes.isEmpty() ? fileName : fileName + ": " + changes.join(", "));
    return true;
}

// Pidgin's theme file: the pack's name, its first picture as the icon, each picture with its shortcut.
TBundleFile ThemeFile(const QString& title, const TPackPictures& pictures, const std::vector<TBundleFile>& files) {
    std::string text = ThemeKeyLine("Name", title.toStdString()) + ThemeKeyLine("Description", "Made by Quillane") +
                       ThemeKeyLine("Icon", files.front().name.toStdString()) + "\n[default]\n";
    std::size_t file = 0;
    for (const TPackPicture& picture : pictures.pictures) {
        if (picture.fileName.isEmpty() || file == files.size()) continue;
        std::vector<std::string> shortcuts;
        if (ThemeCanHoldShortcut(picture.shortcut.toStdString())) shortcuts.push_back(picture.shortcut.toStdString());
        text += ThemeSmileyLines(files[file++].name.toStdString(), shortcuts);
    }
    return {"theme", QByteArray::fromStdString(text)};
}

// The files in a folder beside `target`, then renamed into its place, an entry there before replaced only then.
void WriteFolder(const QString& target, const std::vector<TBundleFile>& files) {
    QTemporaryDir fresh(target + ".XXXXXX");
    if (!fresh.isValid()) throw std::runtime_error("no folder can be made there");
    for (const TBundleFile& file : files) {
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

QString PackTitle(const std::string& packPath) { return QFileInfo(QString::fromStdString(packPath)).completeBaseName(); }

}  // namespace

QString ChatExportDestination(const std::string& packPath, const TChatTarget& target, const QString& outputFolder) {
    const QString folder = outputFolder.endsWith('/') ? outputFolder : outputFolder + '/';
    return folder + SafeFileName(PackTitle(packPath), ArchiveExtension(target.bundle).mid(1));
}

TChatExportReport ExportPackForChat(const TGlobal& global, const std::string& packPath, const TChatTarget& target,
                                    const QString& outputFolder, bool replace) {
    TChatExportReport report;
    const QString title = PackTitle(packPath);
    report.written = ChatExportDestination(packPath, target, outputFolder);
    if (SomethingAt(Local(report.written)) && !replace) {
        report.failure = QString("\"%1\" is already there.").arg(QFileInfo(report.written).fileName());
        return report;
    }
    QTemporaryDir work(QString::fromStdString(global.TempDir) + "export-XXXXXX");
    if (!work.isValid()) {
        report.failure = "No room to unpack the pack.";
        return report;
    }
    TPackPictures pictures = FindPackPictures(global, packPath, Local(work.path()) + "/");
    for (const QString& missing : pictures.missing) report.leftOut << missing + ": could not be unpacked, the pack is damaged";
    for (const QString& other : pictures.notPictures) report.leftOut << other + ": not a GIF, PNG, JPEG or BMP picture";
    if (!pictures.failure.isEmpty()) {
        report.failure = pictures.failure;
        return report;
    }
    TChatNames names(target.naming);
    std::vector<TBundleFile> files;
    for (TPackPicture& picture : pictures.pictures) {
        try {
            // A picture left out has no file name in the theme.
            if (!MakeFile(target, picture, names, files, report)) picture.fileName.clear();
        } catch (const std::exception& error) {
            report.leftOut << picture.name + ": " + QString::fromStdString(error.what());
            picture.fileName.clear();
        }
    }
    if (files.empty()) {
        report.failure = "Nothing in this pack could be exported.";
        return report;
    }
    try {
        if (target.bundle == TChatBundle::Folder) {
            WriteFolder(report.written, files);
            return report;
        }
        const QString inside = target.bundle == TChatBundle::TarGz ? SafeFileName(title) + "/" : QString();
        std::vector<TBundleFile> archived;
        if (!inside.isEmpty()) archived.push_back({inside, {}});
        if (target.bundle == TChatBundle::TarGz) archived.push_back(ThemeFile(title, pictures, files));
        for (const TBundleFile& file : files) archived.push_back(file);
        for (std::size_t i = inside.isEmpty() ? 0 : 1; i < archived.size(); ++i) archived[i].name.prepend(inside);
        const QByteArray archive = ArchiveOf(archived, target.bundle);
        if (!ReplaceEntryAtomically(Local(report.written), std::string_view(archive.constData(), archive.size()))) {
            throw std::runtime_error("it cannot be written");
        }
    } catch (const std::exception& error) {
        report.failure = QString("\"%1\" could not be written: %2.").arg(QFileInfo(report.written).fileName(), error.what());
    }
    return report;
}

}  // namespace quillane
