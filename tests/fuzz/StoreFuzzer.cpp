// Arbitrary bytes as a content pack installed into the content store, and as
// the content.xml of a pack. Each input is
//   1. read as content.xml on its own;
//   2. installed as the pack file itself (a cabinet, or anything else);
//   3. when it reads as content.xml: installed as the manifest of a cabinet that
//      our writer makes, holding a small file under every name the manifest
//      lists, so that the layout of the items meets the names the input chose.
// The store lives in one temporary folder for the whole run and already holds
// one pack. Every install must end with a defined result; a failed one must
// leave the store's index and packs exactly as they were; a successful one adds
// exactly one pack folder holding what its items name, and is undone again; and
// nothing may ever appear beside the store folder.
#include "FuzzCheck.h"
#include "CabOpt.h"
#include "CabinetExtractor.h"
#include "ContentManifest.h"
#include "ContentStore.h"
#include "InstallResult.h"
#include "TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using namespace quillane;

// Manifests list more items than this only to make each input slow.
constexpr std::size_t kMaxItems = 24;

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(file));
}

// Everything below a folder: relative path -> "d" for a folder, "f" + bytes for a file, "?" else.
using Snapshot = std::map<std::string, std::string>;

Snapshot Take(const std::string& folder) {
    Snapshot snapshot;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = fs::relative(it->path(), folder).string();
        if (it->is_symlink(error)) snapshot[name] = "?";
        else if (it->is_directory(error)) snapshot[name] = "d";
        else if (it->is_regular_file(error)) snapshot[name] = "f" + ReadBytes(it->path());
        else snapshot[name] = "?";
    }
    Check(!error);
    return snapshot;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The temporary folder goes when the process ends normally; after a finding it stays for a look.
void RemoveAtExit(const std::string& folder) {
    static std::string removed;
    removed = folder;
    std::atexit([] {
        std::error_code error;
        fs::remove_all(removed, error);
    });
}

class Store {
public:
    Store() {
        char pattern[] = "/tmp/quillane-fuzz-store-XXXXXX";
        Check(mkdtemp(pattern) != nullptr);
        root_ = std::string(pattern) + "/";
        RemoveAtExit(root_);
        outer_ = root_ + "outer/";
        fs::create_directories(outer_);
        WriteBytes(outer_ + "sentinel", "beside the store");
        work_ = root_ + "work/";
        fs::create_directories(work_);
        store_ = std::make_unique<TContentStore>(outer_ + "store/");
        // One pack installed already, so that a failed install has an index to keep.
        const TManifest first{"theme", {{"emoticon", "smile.gif", "Smile", ":)", "Pack1"}}};
        const std::string manifest =
            "<?xml version=\"1.0\"?><package xmlns=\"http://messenger.msn.com/messengercontent/1.0\" type=\"theme\">"
            "<item type=\"emoticon\" file=\"smile.gif\" contentid=\"Pack1\"/></package>";
        Check(InstallMade(manifest, first) == kInstalled);
        baseline_ = Take(Folder());
        basePacks_ = store_->Packs().size();
        Check(basePacks_ == 1);
    }

    std::string Folder() const { return store_->Folder(); }
    const std::string& Work() const { return work_; }

    // Installs the file and checks everything an install must keep to.
    void Install(const std::string& pack) {
        const TInstallResult result = store_->Install(pack, "http://quillane.example/fuzz.QZK");
        // The store never downloads, and its folder and index are always writable here.
        Check(result >= kInstalled && result <= kStoreNotWritable);
        Check(result != kDownloadFailed);
        Check(result != kStoreNotWritable);
        // Nothing beside the store, and the pack file untouched.
        Check(Names(root_) == std::vector<std::string>({"outer", "work"}));
        Check(Names(outer_) == std::vector<std::string>({"sentinel", "store"}));
        const Snapshot after = Take(Folder());
        if (result != kInstalled) {
            Check(after == baseline_);
            return;
        }
        CheckAndUndoInstalled(after);
    }

    // Writes a cabinet of the manifest and a file for each of its items, and installs it.
    TInstallResult InstallMade(const std::string& manifestText, const TManifest& manifest) {
        const std::string cabinetPath = work_ + "made.cab";
        expected_.clear();
        {
            TCabinet cabinet({"made.cab", work_});
            int number = 0;
            std::set<std::string> added;
            for (const TManifestItem& item : manifest.items) {
                if (!added.insert(item.file).second) continue;
                // A wink is an inner cabinet; the store looks at its signature only.
                std::string bytes = (item.type == "wink" ? "MSCF" : "GIF89a") + std::to_string(++number);
                const std::string source = work_ + "item" + std::to_string(number);
                WriteBytes(source, bytes);
                Check(cabinet.AddFile(source, item.file));
                const std::string relative = SafeRelativePath(item.file);
                if (!relative.empty()) expected_[UpperCaseUtf8(relative)].insert(bytes);
            }
            WriteBytes(work_ + "content.xml", manifestText);
            // The manifest comes last and so wins over an item of its name.
            expected_["CONTENT.XML"].insert(manifestText);
            Check(cabinet.AddFile(work_ + "content.xml", "content.xml"));
            cabinet.FlushCabinet();
        }
        return store_->Install(cabinetPath, "made");
    }

    void InstallMadeAndCheck(const std::string& manifestText, const TManifest& manifest) {
        const TInstallResult result = InstallMade(manifestText, manifest);
        Check(result >= kInstalled && result <= kStoreNotWritable && result != kDownloadFailed);
        Check(result != kStoreNotWritable);
        Check(Names(outer_) == std::vector<std::string>({"sentinel", "store"}));
        const Snapshot after = Take(Folder());
        if (result != kInstalled) {
            Check(after == baseline_);
            return;
        }
        // The index tells each item as the manifest did, and each item's stored
        // file holds what the cabinet held under its name.
        const TStoredPack pack = store_->Packs().back();
        Check(pack.packageType == manifest.packageType);
        Check(pack.items.size() == manifest.items.size());
        for (std::size_t i = 0; i < pack.items.size(); ++i) {
            const TStoredItem& stored = pack.items[i];
            const TManifestItem& listed = manifest.items[i];
            Check(stored.type == listed.type && stored.name == listed.name && stored.shortcut == listed.shortcut &&
                  stored.contentId == listed.contentId);
        }
        for (const TStoredItem& item : pack.items) {
            const std::string relative = item.file.substr(item.file.find('/', 6) + 1);
            const auto found = expected_.find(UpperCaseUtf8(relative));
            Check(found != expected_.end());
            Check(found->second.count(ReadBytes(Folder() + item.file)) == 1);
        }
        CheckAndUndoInstalled(after);
    }

private:
    // One more pack in the index, one more folder holding its items' files
    // and nothing else; then the store goes back to how it was.
    void CheckAndUndoInstalled(const Snapshot& after) {
        const std::vector<TStoredPack> packs = store_->Packs();
        Check(packs.size() == basePacks_ + 1);
        const TStoredPack& pack = packs.back();
        const std::string packFolder = "packs/" + std::to_string(pack.id);
        Check(baseline_.count(packFolder) == 0);
        std::set<std::string> listed;
        for (const TStoredItem& item : pack.items) {
            Check(item.file.rfind(packFolder + "/", 0) == 0);
            Check(SafeRelativePath(item.file) == item.file);
            std::error_code error;
            Check(fs::is_regular_file(Folder() + item.file, error));
            listed.insert(item.file);
        }
        for (const auto& [name, kind] : after) {
            if (name == "index.xml") continue;
            const auto old = baseline_.find(name);
            if (old != baseline_.end()) {
                Check(old->second == kind);
                continue;
            }
            // All that is new lies in the pack's folder: the items' files and the folders they need.
            Check(name == packFolder || name.rfind(packFolder + "/", 0) == 0);
            if (kind != "d") Check(listed.count(name) == 1);
        }
        for (const auto& [name, kind] : baseline_) Check(after.count(name) == 1);

        std::error_code error;
        fs::remove_all(Folder() + packFolder, error);
        WriteBytes(Folder() + "index.xml", baseline_.at("index.xml").substr(1));
        Check(Take(Folder()) == baseline_);
    }

    std::string root_;
    std::string outer_;
    std::string work_;
    std::unique_ptr<TContentStore> store_;
    Snapshot baseline_;
    std::size_t basePacks_ = 0;
    std::map<std::string, std::set<std::string>> expected_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Store& store = *new Store;  // one store folder for the whole run
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string input = store.Work() + "input";
    WriteBytes(input, bytes);

    const std::optional<TManifest> manifest = ReadManifest(input);
    if (manifest) {
        Check(!manifest->items.empty());
        for (const TManifestItem& item : manifest->items) Check(!item.file.empty());
    }

    store.Install(input);
    Check(ReadBytes(input) == bytes);

    if (manifest && manifest->items.size() <= kMaxItems) store.InstallMadeAndCheck(bytes, *manifest);
    return 0;
}
