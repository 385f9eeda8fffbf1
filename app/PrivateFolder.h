#pragma once

#include <string>

namespace quillane {

// True when the path is a folder itself (not a link to one), owned by this
// user, that no one else may enter.
bool IsPrivateFolder(const std::string& path);

// The folder for the program's temporary files, ending in "/": private to
// the user, so that no other user of the machine can plant a link in it.
// $XDG_RUNTIME_DIR when it is such a folder; otherwise "Quillane/" below the
// user's cache folder, made private; when that name is held by something
// else, a fresh private folder is made beside it.
std::string PrivateTempFolder();

}  // namespace quillane
