#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace quillane::testing {

// The file names of the packs the build bundles, as the sources hold them, in
// order. The built application folder's msnpack/ can hold more: an install run
// from the build folder leaves there the cabinet it served.
inline std::vector<std::string> BundledPackNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(QUILLANE_BUNDLED_PACKS_DIR))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quillane::testing
