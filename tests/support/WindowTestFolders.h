#pragma once

#include "TempFolder.h"

#include <QByteArray>
#include <QtGlobal>
#include <filesystem>
#include <string>

namespace quillane::testing {

// The folders of one window test: an application folder with the program's
// tools linked in from the built one, and a temporary folder (private, as the
// program's temporary folder must be) that XDG_RUNTIME_DIR and XDG_DATA_HOME
// point into for as long as this lives.
class WindowTestFolders {
public:
    WindowTestFolders() {
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(temp.Path().string()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(temp.Folder() + "data"));
        std::filesystem::create_symlink(AppFolder() + "cabarc", AppFile("cabarc"));
        std::filesystem::create_symlink(AppFolder() + "ruffle", AppFile("ruffle"));
        std::filesystem::create_directories(AppFile("msnpack"));
    }
    ~WindowTestFolders() { qunsetenv("XDG_RUNTIME_DIR"); }
    WindowTestFolders(const WindowTestFolders&) = delete;
    WindowTestFolders& operator=(const WindowTestFolders&) = delete;

    std::string AppFile(const std::string& name) const { return app.Folder() + name; }
    // Where the preview extracts packs.
    std::string Extracted(const std::string& name) const { return temp.Folder() + "~Quillane/" + name; }

    // Declared first: the environment points into these.
    TempFolder app;
    TempFolder temp;
};

}  // namespace quillane::testing
