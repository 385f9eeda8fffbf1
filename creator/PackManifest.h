#pragma once

#include "PackContents.h"

#include <stdexcept>
#include <string>

namespace quillane {

class EManifestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether a name or shortcut can stand in the manifest: UTF-8 text without
// control characters other than tab, CR and LF.
bool ManifestCanHold(const std::string& text);

// The text of content.xml for the pack: the declaration, the package line,
// one line per emoticon, then per display picture, and the closing line,
// each ended by CR LF. Values are escaped for XML; text is UTF-8. Files are
// named as CabinetNames stores them. The pump runs after each item line.
std::string ManifestText(const TPackContents& contents, const TPump& pump);

// Writes the manifest to the one preview folder of the application folder,
// replacing an old one, and returns its path. Throws EManifestError when it
// cannot be written (the old manifest then stays as it was).
std::string WriteManifest(const TPackContents& contents, const std::string& appPath, const TPump& pump);

}  // namespace quillane
