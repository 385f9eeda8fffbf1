#pragma once

#include "FileCopy.h"
#include "SkinEngine.h"
#include "UrlCache.h"

#include <QDialog>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quillane {

class TCustomWebServer;
class THttpClient;
class TMessengerContentInstaller;

// Installs one pack, Global().PackToInstall, into Messenger: brings it into
// the form of a plain cabinet in msnpack/, serves that folder on the loopback
// port and asks Messenger's installer to fetch it from there.
class TFrmInstall : public QDialog {
    Q_OBJECT
public:
    explicit TFrmInstall(QWidget* parent = nullptr);
    ~TFrmInstall() override;

    bool Installed = false;
    bool Cancelled = false;
    // The title the pack has in the list it was chosen from, for the store to
    // show it by; empty for a pack file, which is known by its file's name.
    std::string ListTitle;

    // Every way of closing passes here.
    void done(int result) override;
    // The client that downloads a pack given by its URL.
    const THttpClient& Downloader() const { return *httpDownFile; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void InstallPack(const std::string& pack);
    std::string PrepareCabinet(const std::string& source);
    // Puts a cabinet that is whole already into place to be served.
    std::string CopyCabinet(const std::string& source);
    // Lets the window answer between the pieces of a long copy; a cancel stops the copy.
    CopyProgress KeepAnswering();
    void CallInstaller(const std::string& url);
    void httpDownFilePacketRecvd(THttpClient& sender);
    void msnInstallPackContentInstalled(TMessengerContentInstaller& sender, int lhrResult);
    void btnOkClick();
    void FormClose();
    // The server's share of the work: serving msnpack/ on the loopback port, and stopping.
    void StartServer();
    void StopServer();
    // The one address handed to Messenger: the cabinet, on the port the server listens on.
    std::string LoopbackUrl() const;

    // Downloads a URL source into msnpack/<name> and installs it from there.
    void DownloadAndInstall(const std::string& source, const std::string& cache);
    // An attempt has ended: the text, and the button reads "Ok".
    void ShowResult(const std::string& text);

    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QLabel* labInstallState;
    QPushButton* btnOk;
    QTimer* Timer1;
    std::unique_ptr<THttpClient> httpDownFile;
    TMessengerContentInstaller* msnInstallPack;
    TUrlCache UrlCache1;
    TSkinEngine skinForm{this};
    std::unique_ptr<TCustomWebServer> Server;
};

}  // namespace quillane
