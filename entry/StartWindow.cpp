#include "StartWindow.h"

#include "FrmInstallU.h"
#include "FrmMainU.h"
#include "WinksGlobal.h"

#include <filesystem>
#include <utility>

namespace quillane {

std::unique_ptr<QWidget> CreateStartWindow() {
    std::error_code error;
    if (std::filesystem::is_directory(Global().PackToInstall, error)) {
        // A folder is no pack to install: the main window shows it as a collection.
        const std::string folder = std::exchange(Global().PackToInstall, {});
        auto window = std::make_unique<TFrmMain>();
        window->OpenCollection(folder);
        return window;
    }
    if (Global().PackToInstall.empty()) return std::make_unique<TFrmMain>();
    return std::make_unique<TFrmInstall>();
}

}  // namespace quillane
