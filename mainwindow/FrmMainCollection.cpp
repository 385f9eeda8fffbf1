// A folder of packs opened as a collection: from File > Open Folder..., a
// folder dropped on the window or the command line. The collection takes the
// tree's place, the filter field filters it, and the pack highlighted in it is
// previewed, installed and exported as an opened pack file is.
#include "FrmMainU.h"

#include "CollectionView.h"
#include "ErrorBox.h"
#include "FileDialogs.h"

#include <QAction>
#include <QBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <filesystem>

namespace quillane {
namespace {

// The share of the window the collection's columns take, beside the preview.
constexpr double kCollectionShare = 0.6;

// A view made after the rest of the window puts its controls in their place
// in the keyboard's order: right after `before`. (Tab skips the others.)
void PlaceInTabOrder(QWidget* before, QWidget* view) {
    QList<QWidget*> controls;
    for (QWidget* next = view->nextInFocusChain(); view->isAncestorOf(next); next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus) controls << next;
    }
    for (QWidget* control : controls) {
        QWidget::setTabOrder(before, control);
        before = control;
    }
}

}  // namespace

TCollectionView& TFrmMain::Collection() {
    if (collection_) return *collection_;
    // Below the filter field, in the tree's panel.
    QWidget* panel = treWinksList->parentWidget();
    collection_ = new TCollectionView(panel);
    collection_->hide();
    static_cast<QBoxLayout*>(panel->layout())->addWidget(collection_, 1);
    PlaceInTabOrder(treWinksList, collection_);
    connect(collection_, &TCollectionView::PackChosen, this,
            [this](const std::string& pack) { Guarded([&] { OpenPackFile(pack); }, this); });
    connect(collection_, &TCollectionView::InstallAsked, this, [this] { Guarded([this] { actInstallExecute(); }, this); });
    connect(collection_, &TCollectionView::CloseAsked, this, [this] { CloseCollection(); });
    // What the opening found, or why the folder could not be read, is said in
    // the status bar too; a reading after a change leaves the status alone.
    connect(collection_, &TCollectionView::ScanEnded, this, [this](bool again) {
        if (!again) SetStatusText(collection_->lblCollection->text());
    });
    return *collection_;
}

void TFrmMain::actOpenFolderExecute() {
    if (!opnFolder) {
        opnFolder = new QFileDialog(this, "Open Folder of Packs");
        opnFolder->setObjectName("opnFolder");
        opnFolder->setOption(QFileDialog::DontUseNativeDialog);
        opnFolder->setFileMode(QFileDialog::Directory);
        opnFolder->setOption(QFileDialog::ShowDirsOnly);
        CloseCompletionsWithDialog(*opnFolder);
    }
    StartInLastFolder(*opnFolder, "OpenFolder", QDir::homePath());
    if (opnFolder->exec() != QDialog::Accepted || opnFolder->selectedFiles().isEmpty()) return;
    OpenCollection(QFile::encodeName(opnFolder->selectedFiles().constFirst()).toStdString());
}

void TFrmMain::OpenCollection(const std::string& folder) {
    edtFilter->clear();
    if (!CollectionShown()) {
        treWinksList->hide();
        lblNoMatch->hide();
        Collection().show();
        // The collection's columns need more room than the tree; a window not
        // yet shown learns its width once it is.
        QTimer::singleShot(0, this, [this] {
            auto* client = qobject_cast<QSplitter*>(centralWidget());
            if (!client || !CollectionShown()) return;
            const int width = client->width();
            const int left = static_cast<int>(width * kCollectionShare);
            client->setSizes({left, width - left});
        });
    }
    setWindowTitle(kApplicationTitle + " - " + QString::fromLocal8Bit(QByteArray::fromStdString(folder)));
    collection_->Open(folder);
    collection_->FocusList();
}

void TFrmMain::CloseCollection() {
    if (!CollectionShown()) return;
    collection_->Close();
    collection_->hide();
    treWinksList->show();
    edtFilter->clear();
    // The caption names the list shown again, as loading it does.
    setWindowTitle(UsingDefault ? kApplicationTitle
                                : kApplicationTitle + " - " + QString::fromStdString(std::filesystem::path(ListFileName).filename().string()));
    if (auto* client = qobject_cast<QSplitter*>(centralWidget())) client->setSizes({192, client->width() - 192});
}

bool TFrmMain::CollectionShown() const {
    return collection_ && !collection_->isHidden();
}

std::string TFrmMain::DroppedFolder(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir()) return QFile::encodeName(url.toLocalFile()).toStdString();
    }
    return {};
}

}  // namespace quillane
