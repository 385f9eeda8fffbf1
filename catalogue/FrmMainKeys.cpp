// The keys of the main window: the desktop's standard shortcuts on the list
// commands, F5 for Upgrade, and Delete and Enter on the tree.
#include "FrmMainU.h"

#include "CatalogueTreeModel.h"
#include "ErrorBox.h"

#include <QAction>
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

    // Delete removes the pack as the pop-up menu's Delete does, and only where that menu is offered.
    auto* remove = new QShortcut(QKeySequence::Delete, treWinksList, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, [this] {
        if (!UsingDefault) deleteitem1->trigger();
    });
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* install = new QShortcut(QKeySequence(key), treWinksList, nullptr, nullptr, Qt::WidgetShortcut);
        connect(install, &QShortcut::activated, this, [this] {
            const QModelIndex selected = treWinksList->currentIndex();
            if (selected.isValid() && !treeModel->IsCategory(selected)) actInstall->trigger();
        });
    }
}

}  // namespace quillane
