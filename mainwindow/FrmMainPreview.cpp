// Previewing the pack clicked in the tree: winks and display pictures in the
// Flash view, emoticon packs as an animated picture.
#include "FrmMainU.h"

#include "CatalogueTreeModel.h"
#include "ContentManifest.h"
#include "FlashView.h"
#include "PackUnpacking.h"
#include "PictureReading.h"
#include "PreviewArea.h"
#include "TextEncoding.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QLabel>
#include <QMovie>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <filesystem>

namespace quillane {
namespace {

bool FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

QString PackTitle(const TCatalogueDocument& document, CatalogueNode item) {
    return QString::fromStdString(document.GetAttribute(item, "ContentTitle").value_or(std::string()));
}

}  // namespace

void TFrmMain::treWinksListClick() {
    keyPreview_->stop();
    const QModelIndex selected = treWinksList->currentIndex();
    if (!selected.isValid()) return;
    OpenedPackFile.clear();
    if (treeModel->IsCategory(selected)) {
        actInstall->setEnabled(false);
        return;
    }
    actInstall->setEnabled(true);
    PreviewItem(treeModel->data(selected.parent(), Qt::DisplayRole).toString().toStdString());
}

void TFrmMain::PreviewItem(const std::string& categoryName) {
    StopUnpacking();
    EmptyPreviewFolder(Global());
    previewTitle_.clear();
    SetStatusText("Previewing...");
    const CatalogueNode item = treeModel->NodeAt(treWinksList->currentIndex());
    if (categoryName.find("Winks") != std::string::npos) {
        ShowFlashView(true);
        PreviewFlashItem(item, true);
    } else if (categoryName.find("Display") != std::string::npos) {
        ShowFlashView(true);
        PreviewFlashItem(item, false);
    } else if (categoryName.find("Emoticons") != std::string::npos) {
        ShowFlashView(false);
        PreviewEmoticonPack(item);
    } else {
        pnlPreview->ShowNotice({});
        SetStatusText("Packs in this category have no preview.");
    }
}

void TFrmMain::PreviewFlashItem(CatalogueNode item, bool isWink) {
    CurrentItem = item;
    previewTitle_ = PackTitle(xmlWinksFile, item);
    pnlPreview->Describe((isWink ? "Wink: " : "Display picture: ") + previewTitle_);
    const std::string downloadUrl = xmlWinksFile.AttributeText(item, "DownloadUrl");
    const std::string prePath = xmlWinksFile.AttributeText(item, "PrePath");
    const std::string pack = LocalPackOf(item);
    const std::string preview = Global().UserOrAppFile("Preview/" + prePath);
    if (isWink && FileExists(pack)) {
        PreviewPackFile(pack);
    } else if (FileExists(preview)) {
        flsPreview->SetMovie(QString::fromStdString(preview));
    } else if (isWink) {
        flsPreview->SetMovie(kNoMovie);
    } else {
        flsPreview->SetMovie(QString::fromStdString(Global().DownloadBase + "preview/" + prePath));
    }
    flsPreview->Play();
}

std::string TFrmMain::LocalPackOf(CatalogueNode item) const {
    const std::string downloadUrl = xmlWinksFile.AttributeText(item, "DownloadUrl");
    if (FileExists(downloadUrl)) return downloadUrl;
    return Global().UserOrAppFile("msnpack/" + downloadUrl.substr(static_cast<size_t>(Global().LastCharPos("/", downloadUrl))));
}

void TFrmMain::PreviewPackFile(const std::string& packPath) {
    if (previewTitle_.isEmpty()) previewTitle_ = QString::fromStdString(std::filesystem::path(packPath).filename().string());
    try {
        const std::string folder = UnpackForPreview(Global(), packPath);
        // An emoticon pack in a list's Winks (where Add puts every pack) is shown by what it holds.
        const TUnpackedPack unpacked(folder);
        const auto& manifest = unpacked.Manifest();
        if (manifest && std::any_of(manifest->items.begin(), manifest->items.end(),
                                    [](const TManifestItem& item) { return item.type == "emoticon"; })) {
            return ShowPackFile(packPath, folder, {});
        }
        const std::string inner = Global().FindNonXmlFile(folder);
        if (inner.empty()) return EndFlashPreview(false);
        PlayInnerCabinet(folder, folder + inner);
    } catch (const std::exception& error) {
        previewTitle_.clear();
        SetStatusText(QString::fromStdString(error.what()));
    }
}

void TFrmMain::PlayInnerCabinet(const std::string& folder, const std::string& cabinet) {
    Global().DeleteFiles(folder, "*.XML");
    UnpackCabinet(Global(), cabinet, folder);
    const std::string movie = Global().FindSwfFile(folder);
    if (!movie.empty() && FileExists(folder + movie)) {
        flsPreview->SetMovie(QString::fromStdString(folder + movie));
        flsPreview->Play();
    } else {
        EndFlashPreview(false);
    }
}

void TFrmMain::EndFlashPreview(bool shown) {
    if (previewTitle_.isEmpty()) return;
    SetStatusText(shown ? "Playing " + previewTitle_ + "." : "No preview of " + previewTitle_ + " is at hand.");
    previewTitle_.clear();
}

void TFrmMain::PreviewEmoticonPack(CatalogueNode item) {
    CurrentItem = item;
    // A picture that cannot be shown is said in the status bar, without a message box.
    try {
        const std::string prePath = xmlWinksFile.AttributeText(item, "PrePath");
        const QString source = UpperCaseUtf8(prePath).find(".GIF") != std::string::npos
                                   ? QString::fromStdString(Global().UserOrAppFile("Preview/" + prePath))
                                   : ":/gif/" + QString::fromStdString(UpperCaseUtf8(prePath));
        if (ShowPicture(source)) {
            const QString count = QString::fromStdString(xmlWinksFile.AttributeText(item, "EmoticonsCount"));
            SetStatusText(count + " emoticons in pack.");
            pnlPreview->Describe("Emoticons: " + PackTitle(xmlWinksFile, item), count + " emoticons");
            return;
        }
    } catch (const std::exception&) {
    }
    SetStatusText("No preview of " + PackTitle(xmlWinksFile, item) + " is at hand.");
}

bool TFrmMain::ShowPicture(const QString& source) {
    // The program's own pictures are trusted; any other is read as a picture from outside.
    QMovie* movie = source.startsWith(":/") ? new QMovie(source, QByteArray(), gifPrevew)
                                            : OpenPictureMovie(source, gifPrevew);
    if (!movie || !movie->isValid()) {
        delete movie;
        return false;
    }
    if (QMovie* old = gifPrevew->movie()) old->deleteLater();
    gifPrevew->setMovie(movie);
    movie->jumpToFrame(0);
    gifPrevew->resize(movie->currentImage().size());
    movie->start();
    return true;
}

}  // namespace quillane
