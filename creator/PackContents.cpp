#include "PackContents.h"

namespace quillane {

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DefaultName(const std::string& fileName) {
    // Four bytes would cut a non-ASCII letter in two; four characters never do.
    size_t end = fileName.size();
    for (int cut = 0; cut < 4 && end > 0; ++cut) {
        do {
            --end;
        } while (end > 0 && (static_cast<unsigned char>(fileName[end]) & 0xC0) == 0x80);
    }
    return fileName.substr(0, end);
}

}  // namespace quillane
