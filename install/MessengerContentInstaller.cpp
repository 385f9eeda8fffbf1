#include "MessengerContentInstaller.h"

namespace quillane {

TMessengerContentInstaller::TMessengerContentInstaller(QObject* owner) : QObject(owner) {
    setObjectName("msnInstallPack");
}

TMessengerContentInstaller::~TMessengerContentInstaller() = default;

void TMessengerContentInstaller::SetAutoConnect(bool on) {
    autoConnect_ = on;
    if (on) Connect();
}

void TMessengerContentInstaller::Connect() {
    if (!store_) store_ = std::make_unique<TContentStore>(TContentStore::DefaultFolder());
}

void TMessengerContentInstaller::RequestInstall(const std::string& url, const TPackNames& names) {
    Connect();
    const int job = ++lastJob_;
    // Called on the job's thread; the result travels to this object's thread.
    jobs_[job] = std::make_unique<TContentInstallJob>(
        *store_, url,
        [this, job](TInstallResult result) {
            QMetaObject::invokeMethod(this, [this, job, result] { Deliver(job, result); }, Qt::QueuedConnection);
        },
        names);
}

void TMessengerContentInstaller::Deliver(int job, TInstallResult result) {
    // The job's thread has nothing left to do but end.
    jobs_.erase(job);
    if (OnContentInstalled) OnContentInstalled(*this, result);
}

}  // namespace quillane
