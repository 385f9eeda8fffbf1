#pragma once

#include <functional>
#include <string>

namespace quillane {

// What one extraction did.
struct ExtractionReport {
    int extracted = 0;  // files written
    int skipped = 0;    // names refused because they would land outside the folder
    int failed = 0;     // files that could not be decompressed or written
    int unwritten = 0;  // of those, the files that could not be written (a full or read-only disk),
                        // not counting names that clash with each other (a file where a folder must go)
};

// Extracts every file of a cabinet whose name matches the pattern ("*.*"
// matches all, otherwise a shell pattern without regard to case) into the
// folder, replacing files of the same name. Each file is written beside its
// final name and renamed into place only when complete, so a damaged
// cabinet never leaves a partial file under the name of a complete one.
// Problems are described through `complain`. Throws std::runtime_error when
// the cabinet itself cannot be opened.
ExtractionReport ExtractCabinet(const std::string& cabinet, const std::string& pattern, const std::string& folder,
                                const std::function<void(const std::string&)>& complain);

// The path below the folder where a cabinet entry belongs ("\" separates
// folders in cabinets), or empty when the name is absolute, holds "..", or
// would otherwise leave the folder.
std::string SafeRelativePath(const std::string& nameInCabinet);

}  // namespace quillane
