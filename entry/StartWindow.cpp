#include "StartWindow.h"

#include "FrmInstallU.h"
#include "FrmMainU.h"
#include "WinksGlobal.h"

namespace quillane {

std::unique_ptr<QWidget> CreateStartWindow() {
    if (Global().PackToInstall.empty()) return std::make_unique<TFrmMain>();
    return std::make_unique<TFrmInstall>();
}

}  // namespace quillane
