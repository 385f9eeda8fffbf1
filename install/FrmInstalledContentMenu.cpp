// The pack list's menu, and the export of a pack for a chat program, which
// the main window does for this window.
#include "FrmInstalledContent.h"

#include "ErrorBox.h"

#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

namespace quillane {

void TFrmInstalledContent::SetChatExport(TChatExport exportForChat) {
    chatExport = std::move(exportForChat);
    btnExportChat->setVisible(static_cast<bool>(chatExport));
}

void TFrmInstalledContent::btnExportChatClick() {
    const auto selected = SelectedPacks();
    if (selected.size() != 1 || !chatExport) return;
    chatExport(selected.front(), store.Folder(), this);
}

void TFrmInstalledContent::ShowPackMenu(const QPoint& at) {
    if (SelectedPacks().empty()) return;
    QMenu menu(this);
    menu.setObjectName("mnuInstalledPack");
    for (QPushButton* button : {btnRemove, btnOpenFolder, btnExportPidgin, btnExportChat}) {
        if (button->isHidden()) continue;
        QAction* action = menu.addAction(button->text(), button, &QPushButton::click);
        action->setEnabled(button->isEnabled());
    }
    menu.exec(lstPacks->viewport()->mapToGlobal(at));
}

}  // namespace quillane
