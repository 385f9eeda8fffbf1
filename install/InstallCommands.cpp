#include "InstallCommands.h"

#include "FrmInstallU.h"

namespace quillane {

bool RunInstallWindow(QWidget* owner, const std::string& listTitle) {
    TFrmInstall window(owner);
    window.ListTitle = listTitle;
    window.exec();
    return window.Installed;
}

}  // namespace quillane
