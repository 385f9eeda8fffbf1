// The install window's local server: Messenger fetches the prepared cabinet from it.
#include "FrmInstallPaths.h"
#include "FrmInstallU.h"
#include "WebServer.h"

namespace quillane {

void TFrmInstall::FormCreate() {
    Server = std::make_unique<TCustomWebServer>();
    Server->SetPort(kServerPort);
    Server->SetDefaultURL("");
    // Log entries are made on the server's threads and handed over here.
    Server->Log().SetNotifier([this] {
        QMetaObject::invokeMethod(this, [this] { Server->Log().DeliverPending(); }, Qt::QueuedConnection);
    });
}

void TFrmInstall::StartServer() {
    Server->SetSearchPath(InstallPackFolder());
    Server->SetActive(true);
}

void TFrmInstall::StopServer() {
    if (Server->Active()) Server->SetActive(false);
}

}  // namespace quillane
