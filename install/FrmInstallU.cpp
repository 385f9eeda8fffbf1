#include "FrmInstallU.h"

#include "ErrorBox.h"
#include "FrmInstallPaths.h"
#include "HttpClient.h"
#include "MessengerContentInstaller.h"
#include "TextEncoding.h"
#include "UniqueFd.h"
#include "WebServer.h"
#include "WinksGlobal.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace quillane {
namespace {

constexpr const char* kFailed = "installed unsuccessfully.";
constexpr const char* kCabinetSignature = "MSCF";

bool IsUrlSource(const std::string& source) { return UpperCaseUtf8(source).find("HTTP") != std::string::npos; }

bool FileExists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

// The text after the last "/" before the final character, as for every URL name.
std::string NameInUrl(const std::string& source) {
    return source.substr(static_cast<size_t>(Global().LastCharPos("/", source)));
}

// The pack's own name as the user knows it: its file's name, or its URL's last segment.
std::string PackNameOf(const std::string& source) {
    return IsUrlSource(source) ? NameInUrl(source) : fs::path(source).filename().string();
}

std::string CabinetTarget() { return InstallPackFolder() + "temppack11.cab"; }

// An error page never reaches the cache: the client keeps only a successful answer's body.
void RequireSuccess(const THttpClient& client) {
    const int status = client.StatusCode();
    if (status < 200 || status > 299) throw std::runtime_error("HTTP error " + std::to_string(status));
}

// Two install windows, of this program or another copy of it on the same folder,
// could cache each other's pack under one name: one downloads at a time. The
// lock is held until the pack has been installed from the cache.
UniqueFd LockDownloadFile(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!fd) throw std::runtime_error("Cannot create " + path + ": " + std::strerror(errno) + ". ");
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        throw std::runtime_error("Another install is downloading a pack; try again when it has finished. ");
    return fd;
}

}  // namespace

TFrmInstall::TFrmInstall(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmInstall");
    setWindowTitle(kApplicationTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    resize(356, 188);

    Label1 = new QLabel("Progress:", this);
    Label1->setObjectName("Label1");
    Label1->move(17, 24);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setGeometry(16, 51, 311, 16);
    labInstallState = new QLabel("Installing,Please wait..", this);
    labInstallState->setObjectName("labInstallState");
    labInstallState->setGeometry(17, 80, 312, 32);
    labInstallState->setWordWrap(true);
    // Messages name hosts and files from outside: never read as markup.
    labInstallState->setTextFormat(Qt::PlainText);
    btnOk = new QPushButton("Cancel", this);
    btnOk->setObjectName("btnOk");
    btnOk->setGeometry(248, 120, 81, 25);
    btnOk->setAutoDefault(false);
    connect(btnOk, &QPushButton::clicked, this, [this] { Guarded([this] { btnOkClick(); }, this); });

    httpDownFile = std::make_unique<THttpClient>();
    httpDownFile->SetInputFileMode(true);
    httpDownFile->SetOutputFileMode(false);
    httpDownFile->SetPort(0);
    httpDownFile->SetProxyPort(0);
    httpDownFile->SetReportLevel(0);
    httpDownFile->Pump = [] { QCoreApplication::processEvents(); };
    httpDownFile->OnPacketRecvd = [this](THttpClient& sender) { httpDownFilePacketRecvd(sender); };

    msnInstallPack = new TMessengerContentInstaller(this);
    msnInstallPack->SetAutoConnect(false);
    msnInstallPack->SetConnectKind(TMessengerContentInstaller::ckRunningOrNew);
    msnInstallPack->OnContentInstalled = [this](TMessengerContentInstaller& sender, int lhrResult) {
        msnInstallPackContentInstalled(sender, lhrResult);
    };

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }, this); });

    FormCreate();
}

// The server goes first: its threads end before the window they report to.
TFrmInstall::~TFrmInstall() { Server.reset(); }

void TFrmInstall::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFrmInstall::FormShow() {
    skinForm.ApplyGlobalSkin();
    Timer1->start();
    labInstallState->setText("Installing,Please wait..");
    btnOk->setText("Cancel");
    ProgressBar1->setValue(0);
}

void TFrmInstall::Timer1Timer() {
    Timer1->stop();
    const std::string source = Global().PackToInstall;
    if (!IsUrlSource(source)) {
        // A missing file leaves the window waiting for the user.
        if (FileExists(source)) {
            InstallPack(source);
            ProgressBar1->setValue(100);
        }
        return;
    }
    const std::string name = NameInUrl(source);
    // Otherwise a URL stands for a local path, and no file has such a name.
    if (Global().DownAfterInstall != 1) return;
    const std::string cache = CachedPack(name);
    try {
        if (FileExists(cache)) {
            InstallPack(name);
            ProgressBar1->setValue(100);
        } else {
            DownloadAndInstall(source, InstallPackFolder() + name);
        }
    } catch (const std::exception& error) {
        labInstallState->setText(QString::fromStdString(kFailed + std::string(error.what()) + "code:10001."));
    }
}

void TFrmInstall::DownloadAndInstall(const std::string& source, const std::string& cache) {
    const UniqueFd downloadLock = LockDownloadFile(Global().UserPath + "DownPack.Temp");
    // A cached copy is used for good: the client puts it in place only when it has arrived whole.
    httpDownFile->SetBody(cache);
    Cancelled = false;
    httpDownFile->Get(source);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!Cancelled) {
        RequireSuccess(*httpDownFile);
        InstallPack(source);
    }
    Cancelled = false;
}

void TFrmInstall::InstallPack(const std::string& pack) {
    try {
        StartServer();
        UrlCache1.DeleteEntry(LoopbackUrl());
        std::string prepared;
        if (IsUrlSource(Global().PackToInstall)) {
            // A pack from a URL is a .QZK pack, whatever its name says, unless it is a
            // whole cabinet already (a .QZC or .CAB pack that a site serves).
            const std::string cached = CachedPack(NameInUrl(Global().PackToInstall));
            prepared = FileStartsWith(cached, kCabinetSignature) ? CopyCabinet(cached) : PrepareCabinet(cached);
        } else if (UpperCaseUtf8(pack).find(".QZK") != std::string::npos) {
            prepared = PrepareCabinet(pack);
        } else {
            prepared = CopyCabinet(pack);
        }
        // Closed while the pack was being copied: nothing is left to do.
        if (Cancelled) return;
        if (!prepared.empty()) {
            CallInstaller(LoopbackUrl());
        } else {
            ShowResult(kFailed + std::string("Error code:10003."));
        }
    } catch (const std::exception& error) {
        ShowResult(kFailed + std::string(error.what()) + "code:10002.");
    }
}

std::string TFrmInstall::PrepareCabinet(const std::string& source) {
    const std::string target = CabinetTarget();
    return Global().RestoreCabinet(source, target, KeepAnswering()) ? target : std::string();
}

std::string TFrmInstall::CopyCabinet(const std::string& source) {
    const std::string target = CabinetTarget();
    // Without the copy Messenger would be sent to fetch nothing.
    return CopyFileAtomically(source, target, {}, KeepAnswering()) ? target : std::string();
}

CopyProgress TFrmInstall::KeepAnswering() {
    return [this] {
        QCoreApplication::processEvents();
        return !Cancelled;
    };
}

void TFrmInstall::CallInstaller(const std::string& url) {
    try {
        msnInstallPack->RequestInstall(url, {PackNameOf(Global().PackToInstall), ListTitle});
    } catch (const std::exception& error) {
        ShowResult(kFailed + std::string(error.what()) + "Code:10004");
    }
}

void TFrmInstall::httpDownFilePacketRecvd(THttpClient& sender) {
    if (sender.ContentLength() == 0) return;
    const double share = static_cast<double>(sender.ReceivedBytes()) / static_cast<double>(sender.ContentLength());
    ProgressBar1->setValue(static_cast<int>(std::lround(share * 100)));
}

void TFrmInstall::msnInstallPackContentInstalled(TMessengerContentInstaller&, int lhrResult) {
    if (lhrResult == 0) {
        labInstallState->setText("installed successfully.");
        Installed = true;
        close();
    } else {
        labInstallState->setText("installed unsuccessfully.Error code:10005.");
    }
    btnOk->setText("Ok");
}

void TFrmInstall::btnOkClick() {
    Cancelled = true;
    httpDownFile->Disconnect();
    close();
}

void TFrmInstall::done(int result) {
    Guarded([this] { FormClose(); }, this);
    QDialog::done(result);
}

void TFrmInstall::FormClose() {
    // A download dropped by closing is as incomplete as one cancelled: it must not be cached.
    if (httpDownFile->Connected()) {
        Cancelled = true;
        httpDownFile->Disconnect();
    }
    StopServer();
}

void TFrmInstall::ShowResult(const std::string& text) {
    labInstallState->setText(QString::fromStdString(text));
    btnOk->setText("Ok");
}

}  // namespace quillane
