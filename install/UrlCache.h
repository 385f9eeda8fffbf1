#pragma once

#include <string>

namespace quillane {

// The system's URL cache. This platform keeps none that could hold a stale
// copy of the loopback URL, so there is nothing to delete.
class TUrlCache {
public:
    bool LibraryFound() const { return false; }
    // 0: done (there was nothing to do).
    int DeleteEntry(const std::string& url) const {
        static_cast<void>(url);
        return 0;
    }
};

}  // namespace quillane
