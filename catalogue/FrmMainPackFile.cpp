// A pack file from the disk, opened from the File menu or dropped on the
// window: previewed as a pack of the catalogue is, then Install to MSN
// installs that file.
#include "FrmMainU.h"

#include "ContentManifest.h"
#include "EmoticonGrid.h"
#include "ErrorBox.h"
#include "FileCopy.h"
#include "FlashView.h"
#include "PreviewArea.h"
#include "TextEncoding.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QMovie>
#include <QTreeView>
#include <filesystem>

namespace fs = std::filesystem;

namespace quillane {
namespace {

bool IsPackFileName(const std::string& path) {
    const std::string extension = UpperCaseUtf8(fs::path(path).extension().string());
    return extension == ".QZK" || extension == ".QZC" || extension == ".CAB" || extension == ".MCO";
}

// The pack files among dropped things; only local files count.
std::vector<std::string> DroppedPacks(const QMimeData* data) {
    std::vector<std::string> packs;
    if (!data || !data->hasUrls()) return packs;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && IsPackFileName(url.toLocalFile().toStdString())) {
            packs.push_back(url.toLocalFile().toStdString());
        }
    }
    return packs;
}

// The file of that name in the folder, whatever the letter case of either;
// empty when there is none. Packs made on Windows name their files so.
std::string FileInFolder(const std::string& folder, const std::string& name) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (UpperCaseUtf8(it->path().filename().string()) == UpperCaseUtf8(name)) return it->path().string();
    }
    return {};
}

bool IsMovie(const std::string& path) {
    return FileStartsWith(path, "FWS") || FileStartsWith(path, "CWS") || FileStartsWith(path, "ZWS");
}

}  // namespace

void TFrmMain::actPreviewFileExecute() {
    QFileDialog& dialog = OpenPackDialog();
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    OpenPackFile(dialog.selectedFiles().constFirst().toStdString());
}

void TFrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPacks(event->mimeData()).empty()) event->acceptProposedAction();
}

void TFrmMain::dropEvent(QDropEvent* event) {
    const std::vector<std::string> packs = DroppedPacks(event->mimeData());
    if (packs.empty()) return;
    event->acceptProposedAction();
    // Only one pack can be previewed; the first one dropped is.
    Guarded([&] { OpenPackFile(packs.front()); }, this);
}

void TFrmMain::OpenPackFile(const std::string& path) {
    treWinksList->setCurrentIndex({});
    treWinksList->clearSelection();
    CurrentItem = {};
    OpenedPackFile = path;
    actInstall->setEnabled(true);
    SetStatusText("Previewing...");

    std::string folder;
    try {
        folder = ExtractForPreview(path);
    } catch (const std::exception&) {
        ShowDamagedPack(path);
        return;
    }
    const std::string manifestFile = FileInFolder(folder, "content.xml");
    const auto manifest = manifestFile.empty() ? std::nullopt : ReadManifest(manifestFile);
    std::vector<TEmoticonGrid::Emoticon> emoticons;
    std::string wink;
    std::string picture;
    for (const TManifestItem& item : manifest ? manifest->items : std::vector<TManifestItem>{}) {
        const std::string file = FileInFolder(folder, item.file);
        if (file.empty()) continue;
        if (item.type == "emoticon") {
            emoticons.push_back({QString::fromStdString(file), QString::fromStdString(item.name),
                                 QString::fromStdString(item.shortcut)});
        } else if (item.type == "wink") {
            if (wink.empty()) wink = file;
        } else if (picture.empty()) {
            picture = file;
        }
    }

    if (!emoticons.empty()) {
        ShowFlashView(false);
        gifPrevew->hide();
        pnlPreview->grdEmoticons->show();
        pnlPreview->grdEmoticons->SetEmoticons(emoticons);
        SetStatusText(QString::number(emoticons.size()) + " emoticons in pack.");
    } else if (!wink.empty() || FileStartsWith(picture, "MSCF")) {
        ShowFlashView(true);
        PlayInnerCabinet(folder, wink.empty() ? picture : wink);
    } else if (IsMovie(picture)) {
        ShowFlashView(true);
        flsPreview->SetMovie(QString::fromStdString(picture));
        flsPreview->Play();
    } else {
        ShowFlashView(false);
        if (!ShowPicture(QString::fromStdString(picture))) ShowDamagedPack(path);
    }
}

void TFrmMain::ShowDamagedPack(const std::string& path) {
    OpenedPackFile.clear();
    actInstall->setEnabled(false);
    ShowEmptyMovie();
    SetStatusText(QString::fromStdString("\"" + fs::path(path).filename().string() +
                                         "\" is not a Messenger pack, or it is damaged."));
}

}  // namespace quillane
