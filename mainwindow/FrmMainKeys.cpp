// The keys of the main window: the desktop's standard shortcuts on the list
// commands, F5 for Upgrade, and on the tree the arrow keys (the pack reached
// is previewed), Delete and Enter, which act on the highlighted pack.
#include "FrmMainU.h"

#include "CatalogueTreeModel.h"
#include "ErrorBox.h"
#include "FlashView.h"

#include <QAction>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>

namespace quillane {
namespace {

// The pack reached is previewed as soon as the key's own events are handled:
// a repeating key previews only the pack it rests on in each turn of the
// event loop, and each new preview supersedes the one before.
constexpr int kKeyPreviewPauseMs = 0;

// The desktop's key for a standard command; the common Linux one where the
// platform names none (Save As and Quit are missing on some).
QList<QKeySequence> StandardKeys(QKeySequence::StandardKey key, const char* common) {
    const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    return keys.isEmpty() ? QList<QKeySequence>{QKeySequence(common)} : keys;
}

}  // namespace

void TFrmMain::CreateKeys() {
    actNew->setShortcuts(StandardKeys(QKeySequence::New, "Ctrl+N"));
    actOpen->setShortcuts(StandardKeys(QKeySequence::Open, "Ctrl+O"));
    actSaveAs->setShortcuts(StandardKeys(QKeySequence::SaveAs, "Ctrl+Shift+S"));
    Exit1->setShortcuts(StandardKeys(QKeySequence::Quit, "Ctrl+Q"));
    actUpgrade->setShortcut(Qt::Key_F5);

    keyPreview_ = new QTimer(this);
    keyPreview_->setSingleShot(true);
    keyPreview_->setInterval(kKeyPreviewPauseMs);
    connect(keyPreview_, &QTimer::timeout, this, [this] { Guarded([this] { PreviewHighlighted(); }, this); });
    // While the tree has the keyboard, the highlight moves by the keys (or by a
    // press of the mouse, whose click previews at once and ends the wait).
    connect(treWinksList->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (focusWidget() == treWinksList) keyPreview_->start();
    });

    // The movie's page would keep Tab for itself: from the Flash view, Tab goes
    // on to the filter and Shift+Tab back to the tree, as from any other control.
    const std::pair<QKeySequence, QWidget*> ways[] = {{QKeySequence(Qt::Key_Tab), edtFilter},
                                                     {QKeySequence(Qt::SHIFT | Qt::Key_Backtab), treWinksList},
                                                     {QKeySequence(Qt::Key_Backtab), treWinksList}};
    for (const auto& [key, next] : ways) {
        auto* leave = new QShortcut(key, flsPreview, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(leave, &QShortcut::activated, next, [next = next] { next->setFocus(Qt::TabFocusReason); });
    }

    // Delete removes the pack as the pop-up menu's Delete does, and only where that menu is offered.
    auto* remove = new QShortcut(QKeySequence::Delete, treWinksList, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, [this] {
        if (!UsingDefault) deleteitem1->trigger();
    });
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* install = new QShortcut(QKeySequence(key), treWinksList, nullptr, nullptr, Qt::WidgetShortcut);
        connect(install, &QShortcut::activated, this, [this] {
            const QModelIndex selected = treWinksList->currentIndex();
            if (!selected.isValid() || treeModel->IsCategory(selected)) return;
            Guarded([this] { FinishKeyPreview(); }, this);
            actInstall->trigger();
        });
    }
}

void TFrmMain::PreviewHighlighted() {
    keyPreview_->stop();
    const CatalogueNode pack = HighlightedPack();
    // The pack on show is not started again when the filter or a reload gives it back its row.
    if (pack && pack == CurrentItem && OpenedPackFile.empty()) return;
    treWinksListClick();
}

void TFrmMain::FinishKeyPreview() {
    if (keyPreview_->isActive()) PreviewHighlighted();
}

CatalogueNode TFrmMain::HighlightedPack() const {
    const QModelIndex highlighted = treWinksList->currentIndex();
    if (!highlighted.isValid() || treeModel->IsCategory(highlighted)) return {};
    return treeModel->NodeAt(highlighted);
}

}  // namespace quillane
