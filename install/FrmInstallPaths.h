#pragma once

#include "WinksGlobal.h"

#include <string>

namespace quillane {

// The pack cache and the folder the local server serves.
inline std::string InstallPackFolder() { return Global().AppPath + "msnpack/"; }

}  // namespace quillane
