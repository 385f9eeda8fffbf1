#pragma once

#include "CollectedFile.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace quillane {

// The scan of a folder of packs: walks it, takes what the cache still holds
// of unchanged files, reads the others (on as many threads as the machine
// has cores), and keeps what it read in the cache for the next time. Run it
// off the window's thread; the window takes what was found as it comes.
class TCollectionScan {
public:
    explicit TCollectionScan(std::string folder);

    void Run();
    // Asks a running scan to end soon; what was read so far is still cached.
    void Stop() { stop_ = true; }

    // The files found since the last call: readable packs and files listed apart.
    std::vector<TCollectedFile> TakeFound();
    // Files looked at, and to look at; the total is known once the folder is walked.
    std::size_t Done() const { return done_; }
    std::size_t Total() const { return total_; }

    // Once Run has returned: why the folder itself could not be read, or empty.
    const std::string& Failure() const { return failure_; }
    // Once Run has returned: the folders walked, below the folder ("" is itself).
    const std::vector<std::string>& Folders() const { return folders_; }
    // Once Run has returned: how many files were read rather than found in the cache.
    std::size_t Read() const { return read_; }

private:
    void Found(TCollectedFile file);

    const std::string folder_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> done_{0};
    std::atomic<std::size_t> total_{0};
    std::mutex mutex_;
    std::vector<TCollectedFile> found_;
    std::string failure_;
    std::vector<std::string> folders_;
    std::size_t read_ = 0;
};

}  // namespace quillane
