// What screen readers say for the main window's controls. Buttons and menu
// items speak their captions; these controls have none of their own.
#include "FrmMainU.h"

#include <QLineEdit>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace quillane {

void TFrmMain::NameControls() {
    treWinksList->setAccessibleName("Packs");
    treWinksList->setAccessibleDescription(
        "The packs of the list by category. The highlighted pack is previewed; Enter installs it to MSN, "
        "and on a list of your own Delete removes it from the list.");
    edtFilter->setAccessibleName("Find a pack");
    edtFilter->setAccessibleDescription(
        "Shows only the packs whose title holds this text. Enter goes to the packs found; Escape shows every pack again.");
    tblMain->setAccessibleName("Toolbar");
    tblSkin->setAccessibleDescription("Chooses the look of the window");
    staOptState->setAccessibleName("Status");
}

}  // namespace quillane
