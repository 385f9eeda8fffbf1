#include "PackPictures.h"

#include "CabinetReader.h"
#include "ContentManifest.h"
#include "PackDescription.h"
#include "PackUnpacking.h"
#include "PictureReading.h"
#include "StillPicture.h"
#include "TextFile.h"
#include "WinksGlobal.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTextBoundaryFinder>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace quillane {
namespace {

QByteArray HeadOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(16) : QByteArray();
}

QString ExtensionOf(const QByteArray& format) { return format == "jpeg" ? "jpg" : QString::fromLatin1(format); }

// The still picture inside a wink's or a dynamic display picture's inner
// cabinet, as Installed Content shows it, written to the file given.
QString StillPictureOf(const QString& cabinet, const std::string& file) {
    const auto still = StillPictureInCabinet(cabinet.toStdString());
    QFile out(QString::fromStdString(file));
    if (!still || !out.open(QIODevice::WriteOnly)) return {};
    const auto size = static_cast<qint64>(still->size());
    return out.write(still->data(), size) == size ? out.fileName() : QString();
}

// The Flash movie in a wink's or dynamic display picture's inner cabinet; empty when it holds none.
QByteArray MovieOf(const QString& cabinet) {
    const auto reader = TCabinetReader::OpenFile(QFile::encodeName(cabinet).toStdString(), false);
    if (!reader) return {};
    for (const std::string& name : reader->Names()) {
        if (!QString::fromStdString(name).endsWith(".swf", Qt::CaseInsensitive)) continue;
        const auto movie = reader->Read(name, kLargestUnpackedPack);
        return movie ? QByteArray::fromStdString(*movie) : QByteArray();
    }
    return {};
}

// Whether the folder holds an entry of that name, whatever it is: a dangling link too.
bool Taken(const QString& path) {
    struct stat status {};
    return lstat(QFile::encodeName(path).constData(), &status) == 0;
}

// The text cut to at most `bytes` bytes of UTF-8, between two whole characters.
QString CutToBytes(const QString& text, qsizetype bytes) {
    if (text.toUtf8().size() <= bytes) return text;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (qsizetype next = characters.toNextBoundary(); next > 0 && text.left(next).toUtf8().size() <= bytes;
         next = characters.toNextBoundary()) {
        end = next;
    }
    return text.left(end);
}

QString Unused(const QString& folder, const QString& fileName, QSet<QString>& used) {
    const QFileInfo info(fileName);
    QString candidate = fileName;
    for (int n = 2; used.contains(candidate.toLower()) || Taken(folder + candidate); ++n) {
        const QString tail = QString(" (%1).%2").arg(n).arg(info.suffix());
        candidate = CutToBytes(info.completeBaseName(), kLongestFileNameBytes - tail.toUtf8().size()) + tail;
    }
    used.insert(candidate.toLower());
    return candidate;
}

QByteArray ShortcutList(const TPackPictures& pictures, const std::vector<QString>& files) {
    QByteArray text = "Name\tShortcut\tFile\n";
    for (std::size_t i = 0; i < pictures.pictures.size(); ++i) {
        const TPackPicture& picture = pictures.pictures[i];
        text += (picture.name + '\t' + picture.shortcut + '\t' + files[i] + '\n').toUtf8();
    }
    return text;
}

// The file appears whole or not at all; an entry it replaces stays until then.
bool WriteWhole(const QString& path, const QByteArray& bytes) {
    return ReplaceEntryAtomically(QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), bytes.size()));
}

// An item of a pack, with the path of its file; empty when the pack could not give it.
struct TItemFile {
    QString name;
    QString path;
    QString shortcut;
    bool emoticon = false;
};

// The pictures of the items: a picture as it is, a wink's or dynamic display
// picture's inner cabinet by its still picture (written into `workFolder`).
TPackPictures PicturesOfItems(const std::vector<TItemFile>& items, const QString& packName, const std::string& workFolder) {
    TPackPictures found;
    int inner = 0;
    for (const TItemFile& item : items) {
        QString source = item.path;
        if (source.isEmpty()) {
            found.missing << item.name;
            continue;
        }
        QByteArray movie;
        if (HeadOf(source).startsWith("MSCF")) {
            movie = MovieOf(source);
            source = StillPictureOf(source, workFolder + "still" + std::to_string(++inner));
        }
        const QByteArray format = source.isEmpty() ? QByteArray() : PictureFormat(HeadOf(source));
        if (format.isEmpty()) {
            found.notPictures << item.name;
            continue;
        }
        found.pictures.push_back({source, item.name, item.shortcut, SafeFileName(item.name, ExtensionOf(format)), movie});
        found.emoticons = found.emoticons || item.emoticon;
    }
    if (found.pictures.empty() && !found.missing.isEmpty()) {
        found.failure = QString("\"%1\" is damaged: none of its pictures could be unpacked.").arg(packName);
    } else if (found.pictures.empty()) {
        found.failure = "This pack holds no pictures.";
    }
    return found;
}

}  // namespace

QString SafeFileName(const QString& name, const QString& extension, int longestBytes) {
    static const QRegularExpression unsafe(R"([\x00-\x1F<>:"/\\|?*\x7F])");
    QString safe = name;
    safe.replace(unsafe, "_");
    safe = safe.trimmed();
    while (safe.startsWith('.')) safe.remove(0, 1);
    const QString tail = extension.isEmpty() ? QString() : "." + extension;
    safe = CutToBytes(safe, longestBytes - tail.toUtf8().size()).trimmed();
    while (safe.endsWith('.')) safe.chop(1);
    return (safe.isEmpty() ? QString("picture") : safe) + tail;
}

TPackPictures FindPackPictures(const TGlobal& global, const std::string& packPath, const std::string& workFolder) {
    TPackPictures found;
    try {
        UnpackPack(global, packPath, workFolder, workFolder + "restored.cab");
    } catch (const std::exception& error) {
        found.failure = QString::fromStdString(error.what());
        return found;
    }
    const TUnpackedPack pack(workFolder);
    const auto& manifest = pack.Manifest();
    if (!manifest) {
        found.failure = QString("\"%1\" is not a Messenger pack, or it is damaged.")
                            .arg(QString::fromStdString(fs::path(packPath).filename().string()));
        return found;
    }
    std::vector<TItemFile> items;
    for (const TManifestItem& item : manifest->items) {
        items.push_back({QString::fromStdString(item.name.empty() ? fs::path(item.file).stem().string() : item.name),
                         QString::fromStdString(pack.File(item.file)), QString::fromStdString(item.shortcut), item.type == "emoticon"});
    }
    return PicturesOfItems(items, QString::fromStdString(fs::path(packPath).filename().string()), workFolder);
}

TPackPictures StoredPackPictures(const TStoredPack& pack, const std::string& storeFolder, const std::string& workFolder) {
    std::vector<TItemFile> items;
    for (const TStoredItem& item : pack.items) {
        const std::string path = storeFolder + item.file;
        std::error_code error;
        items.push_back({QString::fromStdString(item.name.empty() ? fs::path(item.file).stem().string() : item.name),
                         fs::is_regular_file(path, error) ? QString::fromStdString(path) : QString(), QString::fromStdString(item.shortcut),
                         item.type == "emoticon"});
    }
    if (!fs::exists(workFolder)) fs::create_directories(workFolder);
    return PicturesOfItems(items, QString::fromStdString(PackTitle(pack)), workFolder);
}

QStringList TakenNames(const TPackPictures& pictures, const QString& folder) {
    QStringList taken;
    for (const TPackPicture& picture : pictures.pictures) {
        if (Taken(folder + picture.fileName)) taken << picture.fileName;
    }
    if (pictures.emoticons && Taken(folder + kShortcutList)) taken << kShortcutList;
    return taken;
}

QStringList SavePackPictures(const TPackPictures& pictures, const QString& folder, bool replace) {
    QStringList failed;
    QSet<QString> used;
    std::vector<QString> written;
    for (const TPackPicture& picture : pictures.pictures) {
        QString fileName = picture.fileName;
        // Two items of the same name never share one file.
        if (!replace || used.contains(fileName.toLower())) fileName = Unused(folder, fileName, used);
        used.insert(fileName.toLower());
        QFile source(picture.source);
        if (!source.open(QIODevice::ReadOnly) || !WriteWhole(folder + fileName, source.readAll())) failed << fileName;
        written.push_back(fileName);
    }
    if (pictures.emoticons) {
        const QString list = replace ? QString(kShortcutList) : Unused(folder, kShortcutList, used);
        if (!WriteWhole(folder + list, ShortcutList(pictures, written))) failed << list;
    }
    return failed;
}

}  // namespace quillane
