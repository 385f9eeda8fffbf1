#include "ContentStore.h"

#include "CabinetExtractor.h"
#include "ContentManifest.h"
#include "RemoveTree.h"
#include "TextEncoding.h"
#include "TextFile.h"
#include "UniqueFd.h"
#include "WorkFolder.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>

namespace fs = std::filesystem;

namespace quillane {
namespace {

constexpr const char* kIndexName = "index.xml";
constexpr const char* kNextIdAttribute = "nextid";
constexpr const char* kCabinetSignature = "MSCF";

// Ends the install with a result other than kInstalled.
struct InstallFailure {
    TInstallResult result;
};

bool StartsLikeCabinet(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    return in.read(head, sizeof head) && std::string_view(head, sizeof head) == kCabinetSignature;
}

// A file of the cabinet, laid out in the work folder under a name of our own.
struct ExtractedFile {
    fs::path path;
    std::vector<std::string> meantNames;  // see MeantNames
};

// Code pages of the Windows machines that packs were made on, the most common first.
constexpr const char* kPackCodePages[] = {"CP1252", "CP936", "CP950", "CP932", "CP949",
                                          "CP1251", "CP1250", "CP1253", "CP1254", "CP1257"};

// The names a member may have meant, in capitals and with "/" between folders:
// the name itself when it is UTF-8, else the name read in each code page that reads it.
std::vector<std::string> MeantNames(const CabinetMember& member) {
    std::vector<std::string> names;
    const auto add = [&names](const std::string& name) {
        const std::string relative = SafeRelativePath(name);
        if (!relative.empty()) names.push_back(UpperCaseUtf8(relative));
    };
    if (IsValidUtf8(member.name)) {
        add(member.name);
        return names;
    }
    for (const char* codePage : kPackCodePages) {
        if (const auto name = ConvertToUtf8(member.name, codePage)) add(*name);
    }
    return names;
}

// The extracted file that a name of the manifest stands for, as Windows finds
// it: the same name without regard to letter case, in whichever code page
// the pack was made. Of two files of that name the later one counts, as it
// would have replaced the earlier one on extraction.
const ExtractedFile* FindFile(const std::vector<ExtractedFile>& files, const std::string& listed) {
    const std::string wanted = UpperCaseUtf8(SafeRelativePath(listed));
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        if (std::find(file->meantNames.begin(), file->meantNames.end(), wanted) != file->meantNames.end()) return &*file;
    }
    return nullptr;
}

// Extracts every file under its number in the cabinet, since a name made on
// Windows can only be read once the manifest tells which name it was meant to
// be. A name that leaves the folder as cabarc reads it makes the cabinet unusable.
std::vector<ExtractedFile> Extract(const std::string& cabinet, const std::string& folder) {
    if (!StartsLikeCabinet(cabinet)) throw InstallFailure{kNotACabinet};
    std::vector<ExtractedFile> files;
    const MemberNamer number = [&files, &folder](const CabinetMember& member) {
        if (SafeRelativePath(Utf8MemberName(member)).empty()) return std::string();
        const std::string name = std::to_string(files.size());
        files.push_back({fs::path(folder) / name, MeantNames(member)});
        return name;
    };
    try {
        const ExtractionReport report = ExtractCabinet(cabinet, "*.*", folder, [](const std::string&) {}, number);
        // A cabinet that could not be laid out for want of room is no damaged cabinet.
        if (report.unwritten > 0) throw InstallFailure{kStoreNotWritable};
        if (report.failed > 0 || report.skipped > 0) throw InstallFailure{kNotACabinet};
    } catch (const std::runtime_error&) {
        throw InstallFailure{kNotACabinet};
    }
    return files;
}

TManifest ReadPackManifest(const std::vector<ExtractedFile>& files) {
    const ExtractedFile* found = FindFile(files, "content.xml");
    if (!found) throw InstallFailure{kNoManifest};
    auto manifest = ReadManifest(found->path.string());
    if (!manifest) throw InstallFailure{kBadManifest};
    return std::move(*manifest);
}

// The pack's names are at fault when the file system cannot take them: a
// file where a folder must go or the other way round, or a name too long.
TInstallResult LayOutFailure(const std::error_code& error) {
    const int code = error.value();
    const bool names = code == ENOTDIR || code == EISDIR || code == EEXIST || code == ENAMETOOLONG;
    return names ? kNotACabinet : kStoreNotWritable;
}

// Moves every listed file into the pack folder and tells where each went.
std::vector<TStoredItem> LayOutItems(const TManifest& manifest, const std::vector<ExtractedFile>& files,
                                     const std::string& packFolder, const std::string& storedFolder) {
    std::vector<TStoredItem> items;
    for (const auto& listed : manifest.items) {
        const std::string relative = SafeRelativePath(listed.file);
        if (relative.empty()) throw InstallFailure{kBadManifest};
        const ExtractedFile* found = FindFile(files, relative);
        if (!found) throw InstallFailure{kItemMissing};
        if (listed.type == "wink" && !StartsLikeCabinet(found->path.string())) throw InstallFailure{kNotACabinet};
        const fs::path target = fs::path(packFolder) / relative;
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        // Two items may share a file: the first of them copied it already.
        if (!fs::exists(target, error)) fs::copy_file(found->path, target, error);
        if (error) throw InstallFailure{LayOutFailure(error)};
        items.push_back({listed.type, storedFolder + relative, listed.name, listed.shortcut, listed.contentId});
    }
    return items;
}

void LoadIndex(const std::string& path, pugi::xml_document& index) {
    std::error_code error;
    if (!fs::exists(path, error)) {
        index.append_child("store");
        return;
    }
    // A damaged index is never replaced by one that forgets what it held.
    if (!fs::is_regular_file(path, error) || !index.load_file(path.c_str()) || std::string_view(index.document_element().name()) != "store") {
        throw InstallFailure{kStoreNotWritable};
    }
}

// Ids are never given twice: the index keeps the next one, so that a pack
// removed and another installed meanwhile can never be taken for each other.
// An id is free when nothing of its name is in packs/; a folder that cannot be
// looked into (no permission, a loop of links) has no id known to be free.
int NextPackId(pugi::xml_node store, const std::string& packsFolder) {
    int id = std::max(store.attribute(kNextIdAttribute).as_int(), 1);
    for (const auto pack : store.children("pack")) id = std::max(id, pack.attribute("id").as_int() + 1);
    for (;; ++id) {
        std::error_code error;
        const fs::file_type type = fs::symlink_status(packsFolder + std::to_string(id), error).type();
        if (type == fs::file_type::not_found) break;
        if (error) throw InstallFailure{kStoreNotWritable};
    }
    if (!store.attribute(kNextIdAttribute)) store.append_attribute(kNextIdAttribute);
    store.attribute(kNextIdAttribute) = id + 1;
    return id;
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

void AddPack(pugi::xml_node store, int id, const std::string& source, const TPackNames& names,
             const TManifest& manifest, const std::vector<TStoredItem>& items) {
    auto pack = store.append_child("pack");
    pack.append_attribute("id") = id;
    pack.append_attribute("source") = source.c_str();
    pack.append_attribute("type") = manifest.packageType.c_str();
    if (!names.name.empty()) pack.append_attribute("name") = names.name.c_str();
    if (!names.title.empty()) pack.append_attribute("title") = names.title.c_str();
    pack.append_attribute("installed") = UtcNow().c_str();
    for (const auto& item : items) {
        auto node = pack.append_child("item");
        node.append_attribute("type") = item.type.c_str();
        node.append_attribute("file") = item.file.c_str();
        node.append_attribute("name") = item.name.c_str();
        node.append_attribute("shortcut") = item.shortcut.c_str();
        node.append_attribute("contentid") = item.contentId.c_str();
    }
}

// Holds the lock on the store folder itself while it lives (no file of its
// own, so the store looks as it always did); empty when the folder cannot be opened.
UniqueFd LockStore(const std::string& folder) {
    UniqueFd lock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!lock) return lock;
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) return UniqueFd();
    }
    return lock;
}

std::string IndexText(const pugi::xml_document& index) {
    std::ostringstream text;
    index.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    return text.str();
}

}  // namespace

TContentStore::TContentStore(std::string folder) : folder_(std::move(folder)) {
    std::error_code error;
    fs::create_directories(folder_ + "packs", error);
    if (error) throw EContentStoreError("Cannot open the content store " + folder_ + ": " + error.message());
    try {
        TWorkFolder probe(folder_, "open");
    } catch (const std::runtime_error& failure) {
        throw EContentStoreError(std::string("Cannot open the content store: ") + failure.what());
    }
}

std::string TContentStore::DefaultFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && *data == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.local/share";
    }
    if (base.back() != '/') base += '/';
    return base + "Quillane/Messenger/";
}

TInstallResult TContentStore::Install(const std::string& cabinet, const std::string& source, const TPackNames& names) {
    const std::lock_guard lock(storeLock_);
    try {
        const UniqueFd storeLock = LockStore(folder_);
        if (!storeLock) throw InstallFailure{kStoreNotWritable};
        std::unique_ptr<TWorkFolder> work;
        try {
            work = std::make_unique<TWorkFolder>(folder_, "install");
        } catch (const std::runtime_error&) {
            throw InstallFailure{kStoreNotWritable};
        }
        const std::string extracted = work->Path() + "cabinet/";
        const auto files = Extract(cabinet, extracted);
        const TManifest manifest = ReadPackManifest(files);

        pugi::xml_document index;
        const std::string indexPath = folder_ + kIndexName;
        LoadIndex(indexPath, index);
        const std::string packsFolder = folder_ + "packs/";
        const int id = NextPackId(index.document_element(), packsFolder);
        const std::string storedFolder = "packs/" + std::to_string(id) + "/";

        const std::string laidOut = work->Path() + "pack/";
        const auto items = LayOutItems(manifest, files, laidOut, storedFolder);
        AddPack(index.document_element(), id, source, names, manifest, items);

        std::error_code error;
        const std::string packFolder = folder_ + storedFolder;
        fs::rename(laidOut, packFolder, error);
        if (error) throw InstallFailure{kStoreNotWritable};
        if (!ReplaceFileAtomically(indexPath, IndexText(index))) {
            RemoveTree(packFolder, error);
            throw InstallFailure{kStoreNotWritable};
        }
        return kInstalled;
    } catch (const InstallFailure& failure) {
        return failure.result;
    }
}

std::vector<TStoredPack> TContentStore::Packs() const {
    // No lock: the index is only ever replaced whole, so a reader never waits for an install.
    std::vector<TStoredPack> packs;
    pugi::xml_document index;
    const std::string path = folder_ + kIndexName;
    std::error_code error;
    if (!fs::is_regular_file(path, error) || !index.load_file(path.c_str())) return packs;
    for (const auto pack : index.document_element().children("pack")) {
        TStoredPack stored{pack.attribute("id").as_int(), pack.attribute("source").value(),
                           pack.attribute("type").value(), pack.attribute("name").value(),
                           pack.attribute("title").value(), pack.attribute("installed").value(), {}};
        for (const auto item : pack.children("item")) {
            stored.items.push_back({item.attribute("type").value(), item.attribute("file").value(),
                                    item.attribute("name").value(), item.attribute("shortcut").value(),
                                    item.attribute("contentid").value()});
        }
        packs.push_back(std::move(stored));
    }
    return packs;
}

std::string TContentStore::PackFolder(int id) const { return folder_ + "packs/" + std::to_string(id) + "/"; }

void TContentStore::Remove(const TStoredPack& shown) {
    const std::lock_guard lock(storeLock_);
    const UniqueFd storeLock = LockStore(folder_);
    if (!storeLock) throw EContentStoreError("Cannot remove the pack: the content store " + folder_ + " cannot be written");
    pugi::xml_document index;
    const std::string indexPath = folder_ + kIndexName;
    try {
        LoadIndex(indexPath, index);
    } catch (const InstallFailure&) {
        throw EContentStoreError("Cannot remove the pack: the content store's index " + indexPath + " cannot be read");
    }
    const int id = shown.id;
    const pugi::xml_node entry = index.document_element().find_child_by_attribute("pack", "id", std::to_string(id).c_str());
    // Another window may have removed the pack shown and installed another since.
    if (!entry || entry.attribute("source").value() != shown.source ||
        entry.attribute("installed").value() != shown.installed) {
        return;
    }
    index.document_element().remove_child(entry);
    if (!ReplaceFileAtomically(indexPath, IndexText(index))) {
        throw EContentStoreError("Cannot remove the pack: the content store's index " + indexPath + " cannot be written");
    }
    std::error_code error;
    if (!RemoveTree(PackFolder(id), error)) {
        throw EContentStoreError("The pack is no longer installed, but some of its files could not be deleted (" +
                                 error.message() + "); they are left in " + PackFolder(id));
    }
}

}  // namespace quillane
