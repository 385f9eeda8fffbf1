#pragma once

#include "WinksGlobal.h"

#include <string>

namespace quillane {

// The pack cache and the folder the local server serves: the user's own.
inline std::string InstallPackFolder() { return Global().UserPath + "msnpack/"; }

// The cached copy of a pack by its name: the user's, else a sample pack of
// the application folder; a user's download goes to the first.
inline std::string CachedPack(const std::string& name) { return Global().UserOrAppFile("msnpack/" + name); }

}  // namespace quillane
