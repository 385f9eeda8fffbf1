// Arbitrary bytes as a cabinet for the cabarc extraction. The first byte picks
// the pattern (all files, pictures, content.xml or a bracket pattern); the rest
// is the cabinet, extracted into an empty folder that is emptied again after
// each input. The folder's parent holds only the folder and a sentinel file,
// which must stay so. Against our own listing of the cabinet (libmspack's,
// read here without the extractor) the report must tell the truth: a cabinet
// that does not open raises and leaves the folder empty; every file in the
// folder is an entry of the cabinet under its safe UTF-8 name, of that entry's
// length; and with nothing reported failed or skipped, every matching entry
// is there.
#include "FuzzCheck.h"
#include "CabinetExtractor.h"
#include "TextEncoding.h"

#include <mspack.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fnmatch.h>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using namespace quillane;

constexpr const char* kPatterns[] = {"*.*", "*.gif", "content.xml", "[a-m]*"};

struct Entry {
    std::string relative;  // SafeRelativePath of its UTF-8 name
    std::uint32_t length;
};

// The entries as libmspack lists them, or nothing when the cabinet does not open.
std::optional<std::vector<Entry>> ListCabinet(const std::string& path) {
    mscab_decompressor* decompressor = mspack_create_cab_decompressor(nullptr);
    Check(decompressor != nullptr);
    std::optional<std::vector<Entry>> entries;
    if (mscabd_cabinet* cabinet = decompressor->open(decompressor, path.c_str())) {
        entries.emplace();
        for (const mscabd_file* file = cabinet->files; file; file = file->next)
            entries->push_back(
                {SafeRelativePath(Utf8MemberName({file->filename, (file->attribs & MSCAB_ATTRIB_UTF_NAME) != 0})),
                 file->length});
        decompressor->close(decompressor, cabinet);
    }
    mspack_destroy_cab_decompressor(decompressor);
    return entries;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Folders {
    Folders() {
        char pattern[] = "/tmp/quillane-fuzz-cabarc-XXXXXX";
        Check(mkdtemp(pattern) != nullptr);
        root = std::string(pattern) + "/";
        // The folders go when the process ends normally; after a finding they stay for a look.
        static std::string removed;
        removed = root;
        std::atexit([] {
            std::error_code error;
            fs::remove_all(removed, error);
        });
        parent = root + "parent/";
        out = parent + "out/";
        fs::create_directories(out);
        std::ofstream(parent + "sentinel") << "beside the folder";
        cabinet = root + "input.cab";
    }
    std::string root;
    std::string parent;
    std::string out;
    std::string cabinet;
};

void Empty(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::error_code error;
        fs::remove_all(entry.path(), error);
        Check(!error);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static Folders& folders = *new Folders;  // one set of folders for the whole run
    const std::string pattern = kPatterns[data[0] % std::size(kPatterns)];
    {
        std::ofstream file(folders.cabinet, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data) + 1, static_cast<std::streamsize>(size - 1));
    }
    const auto entries = ListCabinet(folders.cabinet);

    ExtractionReport report;
    bool opened = true;
    int complaints = 0;
    try {
        report = ExtractCabinet(folders.cabinet, pattern, folders.out, [&](const std::string&) { ++complaints; });
    } catch (const std::runtime_error&) {
        opened = false;
    }
    // Nothing beside the folder, ever.
    Check(Names(folders.parent) == std::vector<std::string>({"out", "sentinel"}));
    Check(Names(folders.root) == std::vector<std::string>({"input.cab", "parent"}));
    Check(opened == entries.has_value());
    if (!opened) {
        Check(fs::is_empty(folders.out));
        return 0;
    }

    // What may be there: the safe names of the entries, with their lengths; and
    // what must be there with no failure reported: every matching one.
    std::map<std::string, std::set<std::uint32_t>> allowed;
    std::size_t matching = 0;
    std::size_t unsafe = 0;
    for (const Entry& entry : *entries) {
        if (entry.relative.empty()) {
            ++unsafe;
            continue;
        }
        const std::string name = fs::path(entry.relative).filename().string();
        const bool matches = pattern == "*.*" || fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
        if (!matches) continue;
        ++matching;
        allowed[entry.relative].insert(entry.length);
        // Each folder on the way may be there too.
        for (fs::path up = fs::path(entry.relative).parent_path(); !up.empty(); up = up.parent_path())
            allowed[up.string()];
    }
    Check(report.skipped == static_cast<int>(unsafe));
    Check(report.extracted >= 0 && report.failed >= 0);
    // The folder is writable with room to spare: whatever failed was the cabinet's fault.
    Check(report.unwritten == 0);
    Check(static_cast<std::size_t>(report.extracted + report.failed) == matching);
    Check(complaints == report.skipped + report.failed);

    std::size_t files = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folders.out, error), end; !error && it != end; it.increment(error)) {
        const std::string relative = fs::relative(it->path(), folders.out).string();
        Check(IsValidUtf8(relative));
        const auto found = allowed.find(relative);
        Check(found != allowed.end());
        Check(!it->is_symlink());
        if (it->is_directory()) continue;
        Check(it->is_regular_file());
        // A file of the folder is a whole entry, never a partial one.
        Check(found->second.count(static_cast<std::uint32_t>(it->file_size())) == 1);
        ++files;
    }
    Check(!error);
    Check(files <= static_cast<std::size_t>(report.extracted));
    if (report.failed == 0 && report.skipped == 0) {
        for (const auto& [relative, lengths] : allowed)
            if (!lengths.empty()) Check(fs::is_regular_file(folders.out + relative));
    }
    Empty(folders.out);
    return 0;
}
