#include "InstallCommands.h"

#include "FrmInstallU.h"

namespace quillane {

bool RunInstallWindow(QWidget* owner) {
    TFrmInstall window(owner);
    window.exec();
    return window.Installed;
}

}  // namespace quillane
