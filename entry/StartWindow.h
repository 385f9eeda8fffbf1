#pragma once

#include <QWidget>
#include <memory>

namespace quillane {

// The program's one top-level window: the install window when a pack was
// given on the command line (Global().PackToInstall), else the main window,
// on the collection of the folder when a folder was given.
std::unique_ptr<QWidget> CreateStartWindow();

}  // namespace quillane
