#pragma once

#include "FrmMainU.h"
#include "WindowTestFolders.h"
#include "WinksGlobal.h"

#include <QTest>
#include <filesystem>
#include <memory>

namespace quillane::testing {

// The main window of a window test, over the test's own folders, as the program
// starts it: the settings of the application folder, then the window, shown.
// Call once the test has written its catalogue and settings there.
inline std::unique_ptr<TFrmMain> ShowMainWindow(const WindowTestFolders& folders) {
    InstallGlobal(std::make_unique<TGlobal>(folders.app.Folder()));
    auto window = std::make_unique<TFrmMain>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) window.reset();
    return window;
}

// The main window over the catalogue that comes with the program.
inline std::unique_ptr<TFrmMain> ShowMainWindowOverBundledCatalogue(const WindowTestFolders& folders) {
    std::filesystem::copy_file(AppFolder() + "content.dat", folders.AppFile("content.dat"));
    return ShowMainWindow(folders);
}

// The window goes before the folders that its settings point into.
inline void CloseMainWindow(std::unique_ptr<TFrmMain>& window, std::unique_ptr<WindowTestFolders>& folders) {
    window.reset();
    folders.reset();
}

}  // namespace quillane::testing
