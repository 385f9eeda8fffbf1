#include "FrmMainU.h"

#include "ErrorBox.h"
#include "WinksGlobal.h"

namespace quillane {

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("FrmMain");
    setWindowTitle(kApplicationTitle);
    resize(637, 416);
    FormCreate();
}

void TFrmMain::FormCreate() {
    Guarded([this] {
        skinMain.ApplyGlobalSkin();
        Global().CheckFileAssociation();
    }, this);
}

}  // namespace quillane
