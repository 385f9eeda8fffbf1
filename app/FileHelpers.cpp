// The file helpers of TGlobal: finding files in a folder, deleting by mask,
// and restoring a cabinet from a .QZK pack.
#include "TextEncoding.h"
#include "WinksGlobal.h"

#include <filesystem>
#include <fnmatch.h>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace quillane {
namespace {

std::string UpperExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : UpperCaseUtf8(name.substr(dot));
}

// The last entry of the folder, in listing order, that passes the test.
template <typename Test>
std::string LastEntryWhere(const std::string& folder, Test test) {
    std::string found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (test(*it)) found = it->path().filename().string();
    }
    return found;
}

// Matches like the Windows shell: without regard to case, and "*.*" matches every name.
bool MatchesMask(const std::string& mask, const std::string& name) {
    if (mask == "*.*") return true;
    return fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

}  // namespace

std::string TGlobal::FindNonXmlFile(const std::string& folder) const {
    return LastEntryWhere(folder, [](const fs::directory_entry& entry) {
        std::error_code error;
        return !entry.is_directory(error) && UpperExtension(entry.path().filename().string()) != ".XML";
    });
}

std::string TGlobal::FindSwfFile(const std::string& folder) const {
    return LastEntryWhere(folder, [](const fs::directory_entry& entry) {
        return UpperExtension(entry.path().filename().string()) == ".SWF";
    });
}

void TGlobal::DeleteFiles(const std::string& folder, const std::string& mask) const {
    std::error_code error;
    // A link in the folder's place is removed itself; what it points at is never emptied.
    const fs::path itself = fs::path(folder).parent_path();
    if (fs::is_symlink(itself, error)) {
        fs::remove(itself, error);
        return;
    }
    std::vector<fs::path> doomed;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (MatchesMask(mask, it->path().filename().string())) doomed.push_back(it->path());
    }
    for (const auto& path : doomed) fs::remove_all(path, error);
    // Succeeds only when the folder is now empty.
    fs::remove(folder, error);
}

bool TGlobal::RestoreCabinet(const std::string& source, const std::string& dest, const CopyProgress& progress) const {
    return CopyFileAtomically(source, dest, "M", progress);
}

}  // namespace quillane
