#pragma once

class QWidget;

namespace quillane {

// Runs the install window modally for Global().PackToInstall and tells
// whether Messenger reported the pack installed.
bool RunInstallWindow(QWidget* owner);

}  // namespace quillane
