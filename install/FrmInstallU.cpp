#include "FrmInstallU.h"

#include "ErrorBox.h"

namespace quillane {

TFrmInstall::TFrmInstall(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmInstall");
    setWindowTitle(kApplicationTitle);
    resize(356, 188);
    FormCreate();
}

void TFrmInstall::FormCreate() {
    skinForm.ApplyGlobalSkin();
}

}  // namespace quillane
