#include "ContentInstallJob.h"

#include "HttpClient.h"
#include "WorkFolder.h"

namespace quillane {

TContentInstallJob::TContentInstallJob(TContentStore& store, std::string url, std::function<void(TInstallResult)> done,
                                       TPackNames names)
    : store_(store), url_(std::move(url)), names_(std::move(names)), done_(std::move(done)),
      thread_([this] { Run(); }) {}

TContentInstallJob::~TContentInstallJob() {
    stopRequested_ = true;
    thread_.join();
}

void TContentInstallJob::Run() {
    TInstallResult result = kStoreNotWritable;
    try {
        const TWorkFolder work(store_.Folder(), "download");
        const std::string bodyFile = work.Path() + "body.cab";
        result = Fetch(bodyFile);
        if (result == kInstalled) result = store_.Install(bodyFile, url_, names_);
    } catch (const std::exception&) {
        // No work folder beside the store: the store cannot be written.
    }
    done_(result);
}

TInstallResult TContentInstallJob::Fetch(const std::string& bodyFile) {
    THttpClient client;
    client.SetInputFileMode(true);
    client.SetBody(bodyFile);
    client.SetTimeOut(kDownloadTimeOut);
    client.Pump = [this, &client] {
        if (stopRequested_) client.Disconnect();
    };
    try {
        client.Get(url_);
    } catch (const std::exception&) {
        return kDownloadFailed;
    }
    // An error page is no pack, and a stopped download is no whole one.
    const int status = client.StatusCode();
    if (stopRequested_ || status < 200 || status > 299) return kDownloadFailed;
    return kInstalled;
}

}  // namespace quillane
