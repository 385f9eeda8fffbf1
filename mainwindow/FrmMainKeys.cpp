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
#include <QTreeView>

namespace quillane {
namespace {

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

    // While the tree has the keyboard, the highlight moves by the keys (or by a
    // press of the mouse). The pack reached is previewed at once, so that its
    // picture is painted with the highlight's move: a pack read before is shown
    // from memory, any other is read by a job that the next key supersedes.
    connect(treWinksList->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (focusWidget() == treWinksList) Guarded([this] { PreviewHighlighted(); }, this);
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
            actInstall->trigger();
        });
    }
}

void TFrmMain::PreviewHighlighted() {
    const CatalogueNode pack = HighlightedPack();
    // The pack on show is not started again when the filter or a reload gives it back its row.
    if (pack && pack == CurrentItem && OpenedPackFile.empty()) return;
    treWinksListClick();
}

CatalogueNode TFrmMain::HighlightedPack() const {
    const QModelIndex highlighted = treWinksList->currentIndex();
    if (!highlighted.isValid() || treeModel->IsCategory(highlighted)) return {};
    return treeModel->NodeAt(highlighted);
}

}  // namespace quillane
