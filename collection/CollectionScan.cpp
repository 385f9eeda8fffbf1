#include "CollectionScan.h"

#include "CollectionCache.h"
#include "EveryCore.h"
#include "FolderWalk.h"
#include "PackReading.h"

#include <algorithm>
#include <optional>
#include <system_error>

namespace quillane {
namespace {

// A file that could not be opened may be readable next time without having
// changed (its permissions); that is never kept.
bool IsLasting(const TCollectedFile& file) {
    return file.problem.rfind("cannot be read", 0) != 0;
}

// Each reader holds a whole pack's files while it reads them: at most four at once.
constexpr unsigned kMostReaders = 4;

}  // namespace

TCollectionScan::TCollectionScan(std::string folder) : folder_(std::move(folder)) {}

void TCollectionScan::Found(TCollectedFile file) {
    const std::lock_guard lock(mutex_);
    found_.push_back(std::move(file));
}

std::vector<TCollectedFile> TCollectionScan::TakeFound() {
    const std::lock_guard lock(mutex_);
    return std::exchange(found_, {});
}

void TCollectionScan::Run() {
    TFolderWalk walk;
    try {
        walk = WalkFolder(folder_, stop_);
    } catch (const std::system_error& error) {
        failure_ = "The folder " + folder_ + " cannot be read: " + error.code().message() + ".";
        return;
    }
    folders_ = std::move(walk.folders);
    total_ = walk.files.size();
    for (TCollectedFile& problem : walk.problems) Found(std::move(problem));

    const TCollectionCache cache(folder_);
    std::vector<TCollectedFile> kept;
    std::vector<const TFoundFile*> toRead;
    std::size_t unchanged = 0;
    for (const TFoundFile& file : walk.files) {
        if (const TCollectedFile* known = cache.Find(file.path, file.bytes, file.modified)) {
            kept.push_back(*known);
            Found(*known);
            ++done_;
            ++unchanged;
        } else {
            toRead.push_back(&file);
        }
    }
    read_ = toRead.size();

    std::mutex keptMutex;
    const std::string top = folder_.ends_with('/') ? folder_ : folder_ + "/";
    const auto read = [&](std::size_t i) {
        if (stop_) return;
        std::optional<TCollectedFile> file = ReadCollectedFile(top + toRead[i]->path, *toRead[i]);
        ++done_;
        if (!file) return;
        if (IsLasting(*file)) {
            const std::lock_guard lock(keptMutex);
            kept.push_back(*file);
        }
        Found(std::move(*file));
    };
    ForEachOnEveryCore(toRead.size(), read, kMostReaders);
    // Written again only when a file was added, changed or removed.
    if (kept.size() != unchanged || cache.Size() != unchanged) cache.Save(kept);
}

}  // namespace quillane
