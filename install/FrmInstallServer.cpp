// The install window's local server: Messenger fetches the prepared cabinet from it.
#include "FrmInstallPaths.h"
#include "FrmInstallU.h"
#include "WebServer.h"

#include <cstdlib>

namespace quillane {
namespace {

// The port Messenger is sent to. QUILLANE_INSTALL_PORT names another one, 0 for one
// the system chooses, so that the tests can run while a Quillane holds the usual one.
int InstallPort() {
    constexpr int kServerPort = 21888;
    const char* chosen = std::getenv("QUILLANE_INSTALL_PORT");
    if (!chosen || !*chosen) return kServerPort;
    char* end = nullptr;
    const long port = std::strtol(chosen, &end, 10);
    return *end == '\0' && port >= 0 && port <= 65535 ? static_cast<int>(port) : kServerPort;
}

}  // namespace

void TFrmInstall::FormCreate() {
    Server = std::make_unique<TCustomWebServer>();
    Server->SetPort(InstallPort());
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

std::string TFrmInstall::LoopbackUrl() const {
    return "http://127.0.0.1:" + std::to_string(Server->Port()) + "/temppack11.cab";
}

}  // namespace quillane
