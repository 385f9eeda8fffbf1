// Previewing the pack clicked in the tree: winks and display pictures in the
// Flash view, emoticon packs as an animated picture. A pack is read and its
// pictures decoded in a job off the window's thread, and kept for a while, so
// that the keys never wait; the preview asked for last is the one shown.
#include "FrmMainU.h"

#include "CatalogueTreeModel.h"
#include "EmoticonGrid.h"
#include "ErrorBox.h"
#include "FlashView.h"
#include "PictureReading.h"
#include "PreviewArea.h"
#include "PreviewCache.h"
#include "TextEncoding.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QLabel>
#include <QMovie>
#include <QTimer>
#include <QTreeView>
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
    const std::string prePath = xmlWinksFile.AttributeText(item, "PrePath");
    const std::string pack = LocalPackOf(item);
    const std::string preview = Global().UserOrAppFile("Preview/" + prePath);
    flsPreview->Play();
    if (isWink && FileExists(pack)) {
        PreviewPackFile(pack);
    } else if (FileExists(preview)) {
        // A display picture's pack, when it is here, gives the still shown until the movie plays.
        const std::string stillFrom = !isWink && FileExists(pack) ? pack : std::string();
        PreparePreview(PreviewKey(preview, stillFrom), [preview, stillFrom] { return PrepareMoviePreview(preview, stillFrom); },
                       [this, preview](const TPackPreview& prepared) { ShowPack(preview, prepared); });
    } else if (isWink) {
        flsPreview->SetMovie(kNoMovie);
    } else {
        flsPreview->SetMovie(QString::fromStdString(Global().DownloadBase + "preview/" + prePath));
    }
}

std::string TFrmMain::LocalPackOf(CatalogueNode item) const {
    const std::string downloadUrl = xmlWinksFile.AttributeText(item, "DownloadUrl");
    if (FileExists(downloadUrl)) return downloadUrl;
    return Global().UserOrAppFile("msnpack/" + downloadUrl.substr(static_cast<size_t>(Global().LastCharPos("/", downloadUrl))));
}

void TFrmMain::PreviewPackFile(const std::string& packPath) {
    if (previewTitle_.isEmpty()) previewTitle_ = QString::fromStdString(std::filesystem::path(packPath).filename().string());
    PreparePreview(PreviewKey(packPath), [packPath] { return PreparePackPreview(packPath); },
                   [this, packPath](const TPackPreview& prepared) { ShowPack(packPath, prepared); });
}

void TFrmMain::PreparePreview(const std::string& key, std::function<std::shared_ptr<const TPackPreview>()> prepare,
                              std::function<void(const TPackPreview&)> show) {
    StopUnpacking();
    if (const auto kept = previewCache_.Find(key)) return show(*kept);
    waiting_ = WaitingPreview{key, std::move(prepare), std::move(show)};
    PrepareWaitingPreview();
}

// One pack is read at a time, so that keys running over large packs hold one
// of them in memory beside the cache, never one for each key.
void TFrmMain::PrepareWaitingPreview() {
    if (preparing_ || !waiting_) return;
    WaitingPreview request = std::move(*waiting_);
    waiting_.reset();
    // The pack read for an earlier key may have been this one.
    if (const auto kept = previewCache_.Find(request.key)) return Guarded([&] { request.show(*kept); }, this);
    auto prepared = std::make_shared<std::shared_ptr<const TPackPreview>>();
    auto* job = new TBackgroundJob([prepared, prepare = std::move(request.prepare)] { *prepared = prepare(); }, this);
    preparing_ = job;
    connect(job, &TBackgroundJob::Finished, this, [this, job, key = request.key, prepared, show = std::move(request.show)] {
        job->deleteLater();
        preparing_ = nullptr;
        // Kept even when superseded: arrowing back to the pack shows it from memory.
        previewCache_.Keep(key, *prepared);
        if (!job->Cancelled()) Guarded([&] { show(**prepared); }, this);
        PrepareWaitingPreview();
    });
    job->Start();
}

// A preview still being prepared is never shown: the pack is no longer the one asked for.
void TFrmMain::StopUnpacking() {
    if (preparing_) preparing_->Cancel();
    waiting_.reset();
}

void TFrmMain::ShowPack(const std::string& path, const TPackPreview& prepared) {
    const TPreviewContents& contents = prepared.contents;
    const QString name = QString::fromStdString(std::filesystem::path(path).filename().string());
    switch (contents.kind) {
        case TPreviewContents::Emoticons:
            ShowEmoticons(contents);
            break;
        case TPreviewContents::Movie:
            ShowFlashView(true);
            flsPreview->ShowMovie(QString::fromStdString(contents.movieName), QByteArray::fromStdString(contents.movie),
                                  prepared.still);
            flsPreview->Play();
            break;
        case TPreviewContents::Picture:
            ShowFlashView(false);
            if (!ShowPicture(OpenPictureMovieOf(QByteArray::fromStdString(contents.picture), gifPrevew))) {
                ShowDamagedPack(path);
                break;
            }
            SetStatusText("Showing " + name + ".");
            break;
        case TPreviewContents::Nothing:
            // A pack file opened for itself that shows nothing is no pack to install.
            if (!OpenedPackFile.empty()) {
                ShowDamagedPack(path);
            } else {
                EndFlashPreview(false);
            }
            break;
        case TPreviewContents::Damaged:
            ShowDamagedPack(path, contents.problem);
            break;
    }
    // What could not be read of a pack shown in part is said beside it.
    if (contents.kind != TPreviewContents::Damaged && !contents.problem.empty()) {
        SetStatusText(StatusText() + " " + QString::fromStdString(contents.problem));
    }
    emit PackFileShown();
}

void TFrmMain::ShowEmoticons(const TPreviewContents& contents) {
    std::vector<TEmoticonGrid::Emoticon> emoticons;
    for (const TPreviewContents::Emoticon& emoticon : contents.emoticons) {
        emoticons.push_back({QByteArray::fromStdString(emoticon.bytes), QString::fromStdString(emoticon.name),
                             QString::fromStdString(emoticon.shortcut)});
    }
    ShowFlashView(false);
    gifPrevew->hide();
    pnlPreview->grdEmoticons->show();
    const int shown = pnlPreview->grdEmoticons->SetEmoticons(emoticons);
    const int unreadable = static_cast<int>(emoticons.size()) - shown;
    SetStatusText(QString::number(shown) + " emoticons in pack." +
                  (unreadable > 0 ? " " + QString::number(unreadable) + " more are no pictures Quillane can show." : QString()));
    pnlPreview->Describe(pnlPreview->accessibleName(), QString::number(shown) + " emoticons");
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
        // The program's own pictures are trusted; any other is read as a picture from outside.
        QMovie* movie = source.startsWith(":/") ? new QMovie(source, QByteArray(), gifPrevew)
                                                : OpenPictureMovie(source, gifPrevew);
        if (ShowPicture(movie)) {
            const QString count = QString::fromStdString(xmlWinksFile.AttributeText(item, "EmoticonsCount"));
            SetStatusText(count + " emoticons in pack.");
            pnlPreview->Describe("Emoticons: " + PackTitle(xmlWinksFile, item), count + " emoticons");
            return;
        }
    } catch (const std::exception&) {
    }
    SetStatusText("No preview of " + PackTitle(xmlWinksFile, item) + " is at hand.");
}

bool TFrmMain::ShowPicture(QMovie* movie) {
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
