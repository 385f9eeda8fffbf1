// A pack file from the disk, opened from the File menu or dropped on the
// window: previewed as a pack of the catalogue is, then Install to MSN
// installs that file.
#include "FrmMainU.h"

#include "ErrorBox.h"
#include "FileDialogs.h"
#include "PreviewArea.h"
#include "PreviewCache.h"
#include "TextEncoding.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
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

}  // namespace

void TFrmMain::actPreviewFileExecute() {
    QFileDialog& dialog = OpenPackDialog();
    StartInLastFolder(dialog, "PreviewPackFile");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    OpenPackFile(dialog.selectedFiles().constFirst().toStdString());
}

void TFrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPacks(event->mimeData()).empty() || !DroppedFolder(event->mimeData()).empty()) event->acceptProposedAction();
}

void TFrmMain::dropEvent(QDropEvent* event) {
    // A folder dropped opens as a collection.
    if (const std::string folder = DroppedFolder(event->mimeData()); !folder.empty()) {
        event->acceptProposedAction();
        return Guarded([&] { OpenCollection(folder); }, this);
    }
    const std::vector<std::string> packs = DroppedPacks(event->mimeData());
    if (packs.empty()) return;
    event->acceptProposedAction();
    // Only one pack can be previewed; the first one dropped is.
    Guarded([&] { OpenPackFile(packs.front()); }, this);
}

void TFrmMain::OpenPackFile(const std::string& path) {
    StopUnpacking();
    treWinksList->setCurrentIndex({});
    treWinksList->clearSelection();
    CurrentItem = {};
    OpenedPackFile = path;
    const QString name = QString::fromStdString(fs::path(path).filename().string());
    previewTitle_ = name;
    actInstall->setEnabled(false);
    SetStatusText("Previewing...");
    PreparePreview(PreviewKey(path), [path] { return PreparePackPreview(path); },
                   [this, path, name](const TPackPreview& prepared) {
                       if (prepared.contents.kind != TPreviewContents::Damaged) {
                           actInstall->setEnabled(true);
                           pnlPreview->Describe("Pack file: " + name);
                       }
                       ShowPack(path, prepared);
                   });
}

void TFrmMain::ShowDamagedPack(const std::string& path, const std::string& why) {
    OpenedPackFile.clear();
    actInstall->setEnabled(false);
    ShowFlashView(false);
    gifPrevew->hide();
    SetStatusText(QString::fromStdString(
        why.empty() ? "\"" + fs::path(path).filename().string() + "\" is not a Messenger pack, or it is damaged." : why));
    // Said where the picture would be: the status bar may be hidden, and is easily missed.
    pnlPreview->ShowNotice(StatusText());
    pnlPreview->Describe("Preview", StatusText());
}

}  // namespace quillane
