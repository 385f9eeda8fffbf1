#pragma once

#include "ContentInstallJob.h"
#include "ContentStore.h"

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace quillane {

// Messenger's content installer as the install window uses it. The content
// store stands in for Messenger: RequestInstall returns at once, a worker
// fetches the URL and installs it, and OnContentInstalled reports the result
// on the owner's (main) thread, once per accepted request.
class TMessengerContentInstaller : public QObject {
    Q_OBJECT
public:
    // How the installer object is found. The store on disk is the running
    // instance; opening its folder makes one when there is none yet.
    enum TConnectKind { ckRunningOrNew };

    explicit TMessengerContentInstaller(QObject* owner = nullptr);
    // Stops the installs still running; their results are not reported.
    ~TMessengerContentInstaller() override;

    bool AutoConnect() const { return autoConnect_; }
    // On: connects at once instead of on first use.
    void SetAutoConnect(bool on);
    TConnectKind ConnectKind() const { return connectKind_; }
    void SetConnectKind(TConnectKind kind) { connectKind_ = kind; }

    // Opens the store, only the first time; raises EContentStoreError when it cannot be opened.
    void Connect();
    // Connects if need be and starts installing from the URL; the store
    // records the pack under the names the user knows it by.
    void RequestInstall(const std::string& url, const TPackNames& names = {});

    std::function<void(TMessengerContentInstaller& sender, int lhrResult)> OnContentInstalled;

private:
    void Deliver(int job, TInstallResult result);

    bool autoConnect_ = false;
    TConnectKind connectKind_ = ckRunningOrNew;
    std::unique_ptr<TContentStore> store_;
    // Declared after the store: the jobs end before it goes.
    std::map<int, std::unique_ptr<TContentInstallJob>> jobs_;
    int lastJob_ = 0;
};

}  // namespace quillane
