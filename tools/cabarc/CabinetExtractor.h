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

// A file of a cabinet as the cabinet names it.
struct CabinetMember {
    std::string name;   // the bytes of its name, "\" between folders
    bool utf8 = false;  // the cabinet marks the name as UTF-8
};

// The UTF-8 name under which a member is written. Cabinets made on Windows
// store names without the UTF-8 mark in the code page of the machine that
// made them: a name that is valid UTF-8 stays as it is, any other is read
// in code page 1252, as cabextract reads them.
std::string Utf8MemberName(const CabinetMember& member);

// Gives each member the name to write it under, below the folder.
using MemberNamer = std::function<std::string(const CabinetMember&)>;

// Extracts every file of a cabinet whose name matches the pattern ("*.*"
// matches all, otherwise a shell pattern without regard to case) into the
// folder, under the name that `namer` gives it, replacing files of the same name. Each file is written beside its
// final name and renamed into place only when complete, so a damaged
// cabinet never leaves a partial file under the name of a complete one.
// Problems are described through `complain`. Throws std::runtime_error when
// the cabinet itself cannot be opened.
ExtractionReport ExtractCabinet(const std::string& cabinet, const std::string& pattern, const std::string& folder,
                                const std::function<void(const std::string&)>& complain,
                                const MemberNamer& namer = Utf8MemberName);

// The path below the folder where a cabinet entry belongs ("\" separates
// folders in cabinets), or empty when the name is absolute, holds "..", or
// would otherwise leave the folder.
std::string SafeRelativePath(const std::string& nameInCabinet);

}  // namespace quillane
