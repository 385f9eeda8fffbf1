// A pack file from the disk, opened from the File menu or dropped on the
// window: previewed as a pack of the catalogue is, then Install to MSN
// installs that file.
#include "FrmMainU.h"

#include "ContentManifest.h"
#include "EmoticonGrid.h"
#include "ErrorBox.h"
#include "FileCopy.h"
#include "FileDialogs.h"
#include "FlashView.h"
#include "PackUnpacking.h"
#include "PreviewArea.h"
#include "TextEncoding.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QMovie>
#include <QTreeView>
#include <filesystem>
#include <memory>

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

bool IsMovie(const std::string& path) {
    return FileStartsWith(path, "FWS") || FileStartsWith(path, "CWS") || FileStartsWith(path, "ZWS");
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
    previewTitle_ = QString::fromStdString(fs::path(path).filename().string());
    actInstall->setEnabled(false);
    SetStatusText("Previewing...");

    // Unpacked off the window's thread: a large pack never freezes the window.
    struct Outcome {
        std::string folder;
        std::string tooLarge;
    };
    auto outcome = std::make_shared<Outcome>();
    unpacking_ = std::make_unique<TBackgroundJob>([outcome, path, &global = Global()]() {
        try {
            outcome->folder = UnpackForPreview(global, path);
        } catch (const EPackTooLarge& refused) {
            outcome->tooLarge = refused.what();
        } catch (const std::exception&) {
        }
    });
    connect(unpacking_.get(), &TBackgroundJob::Finished, this, [this, outcome, path] {
        unpacking_.release()->deleteLater();
        QGuiApplication::restoreOverrideCursor();
        Guarded([&] { ShowPackFile(path, outcome->folder, outcome->tooLarge); }, this);
        emit PackFileShown();
    });
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    unpacking_->Start();
}

// A pack file still unpacking is waited for, and never shown.
void TFrmMain::StopUnpacking() {
    if (!unpacking_) return;
    unpacking_.reset();
    QGuiApplication::restoreOverrideCursor();
}

void TFrmMain::ShowPackFile(const std::string& path, const std::string& folder, const std::string& tooLarge) {
    if (!tooLarge.empty()) return ShowDamagedPack(path, tooLarge);
    if (folder.empty()) return ShowDamagedPack(path);
    actInstall->setEnabled(true);
    pnlPreview->Describe("Pack file: " + QString::fromStdString(fs::path(path).filename().string()));
    const TUnpackedPack pack(folder);
    const auto& manifest = pack.Manifest();
    std::vector<TEmoticonGrid::Emoticon> emoticons;
    std::string wink;
    std::string picture;
    for (const TManifestItem& item : manifest ? manifest->items : std::vector<TManifestItem>{}) {
        const std::string file = pack.File(item.file);
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
        pnlPreview->Describe(pnlPreview->accessibleName(), QString::number(emoticons.size()) + " emoticons");
    } else if (!wink.empty() || FileStartsWith(picture, "MSCF")) {
        ShowFlashView(true);
        PlayInnerCabinet(folder, wink.empty() ? picture : wink);
    } else if (IsMovie(picture)) {
        ShowFlashView(true);
        flsPreview->SetMovie(QString::fromStdString(picture));
        flsPreview->Play();
    } else {
        ShowFlashView(false);
        if (!ShowPicture(QString::fromStdString(picture))) return ShowDamagedPack(path);
        SetStatusText(QString::fromStdString("Showing " + fs::path(path).filename().string() + "."));
    }
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
