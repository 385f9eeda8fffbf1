#pragma once

#include "ContentStore.h"
#include "InstallResult.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace quillane {

// One install requested by URL: a thread of its own fetches the URL over
// HTTP and installs the body into the store under the pack's names, then calls
// Done exactly once with the result, from that thread. The store must outlive the job.
class TContentInstallJob {
public:
    // A download that makes no progress for this long fails.
    static constexpr int kDownloadTimeOut = 30000;

    TContentInstallJob(TContentStore& store, std::string url, std::function<void(TInstallResult)> done,
                       TPackNames names = {});
    // Stops a download still running, and waits for the thread; Done has been called then.
    ~TContentInstallJob();
    TContentInstallJob(const TContentInstallJob&) = delete;
    TContentInstallJob& operator=(const TContentInstallJob&) = delete;

private:
    void Run();
    TInstallResult Fetch(const std::string& bodyFile);

    TContentStore& store_;
    const std::string url_;
    const TPackNames names_;
    const std::function<void(TInstallResult)> done_;
    // The only state shared with the thread besides the store, which locks itself.
    std::atomic<bool> stopRequested_{false};
    std::thread thread_;
};

}  // namespace quillane
