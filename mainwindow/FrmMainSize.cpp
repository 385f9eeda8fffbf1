// The main window's size: at the first start as large as its content asks,
// within the screen; on later starts the size the user left it at.
#include "FrmMainU.h"

#include "CatalogueTreeModel.h"
#include "WinksGlobal.h"

#include <QCloseEvent>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>
#include <QTreeView>
#include <algorithm>
#include <exception>

namespace quillane {
namespace {

// The share of the screen a first window may take: the desktop's panels and some room around it stay free.
constexpr double kScreenShare = 0.9;
// The tree and the preview as wide as the classic window had them, at least.
constexpr int kTreeWidth = 192;
constexpr int kPreviewWidth = 445;
// A wink's stage is 4:3; the preview keeps that shape beside a tall tree.
constexpr int kStageWidthRatio = 4;
constexpr int kStageHeightRatio = 3;

// The rows of the tree with every category open.
int AllRows(const QAbstractItemModel& model) {
    int rows = model.rowCount();
    for (int category = 0; category < model.rowCount(); ++category) rows += model.rowCount(model.index(category, 0));
    return rows;
}

// The widest title of a pack, with its indentation and icon.
int WidestPack(const QTreeView& tree, const QAbstractItemModel& model) {
    int widest = 0;
    for (int category = 0; category < model.rowCount(); ++category) {
        const QModelIndex parent = model.index(category, 0);
        for (int pack = 0; pack < model.rowCount(parent); ++pack) {
            widest = std::max(widest, tree.sizeHintForIndex(model.index(pack, 0, parent)).width());
        }
    }
    return widest + 2 * tree.indentation() + 2 * tree.frameWidth();
}

}  // namespace

void TFrmMain::SizeToStart() {
    const QSize screenSize = screen()->availableGeometry().size();
    if (Global().WindowWidth > 0 && Global().WindowHeight > 0) {
        // The screen may have become smaller since.
        resize(QSize(Global().WindowWidth, Global().WindowHeight).boundedTo(screenSize));
        return;
    }
    ensurePolished();
    const int rowHeight = treeModel->rowCount() > 0 ? treWinksList->sizeHintForIndex(treeModel->index(0, 0)).height()
                                                    : treWinksList->fontMetrics().height();
    const int treeHeight = edtFilter->sizeHint().height() + treWinksList->parentWidget()->layout()->spacing() +
                           AllRows(*treeModel) * rowHeight + 2 * treWinksList->frameWidth();
    const int treeWidth = std::max(kTreeWidth, WidestPack(*treWinksList, *treeModel));
    const int previewWidth = std::max(kPreviewWidth, treeHeight * kStageWidthRatio / kStageHeightRatio);
    auto* client = static_cast<QSplitter*>(centralWidget());
    client->setSizes({treeWidth, previewWidth});
    // Menu, toolbar and status bar, as the window lays them out around the tree and the preview.
    const int chrome = sizeHint().height() - client->sizeHint().height();
    const int width = std::max(tblMain->sizeHint().width(), treeWidth + client->handleWidth() + previewWidth);
    resize(QSize(width, chrome + treeHeight).boundedTo(screenSize * kScreenShare));
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    const QSize left = isMaximized() || isFullScreen() ? normalGeometry().size() : size();
    Global().WindowWidth = left.width();
    Global().WindowHeight = left.height();
    // A size that cannot be kept costs no more than the next start's size: not worth a message while closing.
    try {
        Global().SaveWindowSize();
    } catch (const std::exception&) {
    }
    QMainWindow::closeEvent(event);
}

}  // namespace quillane
