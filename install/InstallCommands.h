#pragma once

#include <string>

class QWidget;

namespace quillane {

// Runs the install window modally for Global().PackToInstall and tells
// whether Messenger reported the pack installed. `listTitle` is the pack's
// title in the list it was chosen from; empty for a pack file.
bool RunInstallWindow(QWidget* owner, const std::string& listTitle = {});

}  // namespace quillane
