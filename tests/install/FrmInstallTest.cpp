#include "HttpClient.h"
#include "InstallWindowDriver.h"
#include "LocalSite.h"
#include "PackFixtures.h"
#include "ScriptedServer.h"
#include "TlsSite.h"
#include "WindowTestMain.h"

#include <QRegularExpression>
#include <QTimer>
#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/file.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace quillane;
namespace support = quillane::testing;

namespace {

std::string SamplePack(const std::string& name) { return support::AppFolder() + "msnpack/" + name; }

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Holds a port, as another program would, and makes it the install port of the
// windows opened meanwhile.
class PortTaken {
public:
    PortTaken() : fd_(socket(AF_INET, SOCK_STREAM, 0)), saved_(qgetenv("QUILLANE_INSTALL_PORT")) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        taken_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(fd_, 1) == 0 &&
                 getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        qputenv("QUILLANE_INSTALL_PORT", QByteArray::number(ntohs(address.sin_port)));
    }
    ~PortTaken() {
        qputenv("QUILLANE_INSTALL_PORT", saved_);
        close(fd_);
    }
    bool Taken() const { return taken_; }

private:
    int fd_;
    QByteArray saved_;
    bool taken_ = false;
};

}  // namespace

class FrmInstallTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowHasItsControlsAndStartsWaiting() {
        support::InstallWindowDriver driver;
        Global().PackToInstall = driver.AppFile("missing.QZK");
        TFrmInstall window;
        QCOMPARE(window.windowTitle(), QString("Quillane"));
        QCOMPARE(window.size(), QSize(356, 188));
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window.findChild<QLabel*>("Label1")->text(), QString("Progress:"));
        QCOMPARE(window.findChild<QProgressBar*>("ProgressBar1")->maximum(), 100);
        QCOMPARE(window.findChild<QPushButton*>("btnOk")->geometry(), QRect(248, 120, 81, 25));
        auto* timer = window.findChild<QTimer*>("Timer1");
        QVERIFY(timer && !timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(window.findChild<QObject*>("msnInstallPack"));
        window.show();
        QVERIFY(timer->isActive());
        QCOMPARE(window.findChild<QLabel*>("labInstallState")->text(), QString("Installing,Please wait.."));
    }

    void localPacksOfBothKindsAreInstalledAndTheWindowClosesItself() {
        support::InstallWindowDriver driver;
        const auto qzk = driver.Run(SamplePack("faces.QZK"));
        QVERIFY(qzk.closed);
        QVERIFY(qzk.installed);
        QCOMPARE(qzk.label, QString("installed successfully."));
        QCOMPARE(qzk.progress, 100);
        QCOMPARE(support::ReadFile(driver.AppFile("msnpack/temppack11.cab")).substr(0, 4), std::string("MSCF"));

        const auto qzc = driver.Run(SamplePack("robot.QZC"));
        QVERIFY(qzc.installed);
        const auto packs = driver.StoredPacks();
        QCOMPARE(packs.size(), size_t(2));
        // Messenger is sent to the cabinet on the server's port.
        QVERIFY2(QRegularExpression("^http://127\\.0\\.0\\.1:[1-9][0-9]*/temppack11\\.cab$")
                     .match(QString::fromStdString(packs[0].source))
                     .hasMatch(),
                 packs[0].source.c_str());
        QCOMPARE(packs[0].items.size(), size_t(4));
        QCOMPARE(packs[0].items[2].name, std::string("Wink"));
        QCOMPARE(packs[0].items[2].shortcut, std::string(";)"));
        QCOMPARE(packs[1].items[0].name, std::string("Blue Robot"));
    }

    void aUrlIsDownloadedOnceAndThenInstalledFromTheCache() {
        support::InstallWindowDriver driver;
        support::TempFolder site;
        support::WriteFile(site.File("heart.QZK"), support::ReadFile(SamplePack("heart.QZK")));
        std::string url;
        {
            support::LocalSite server(site.Path().string());
            url = server.Base() + "heart.QZK";
            const auto first = driver.Run(url);
            QVERIFY2(first.installed, qPrintable(first.label));
            QCOMPARE(server.Requests(), std::vector<std::string>{"/heart.QZK"});
            QCOMPARE(support::ReadFile(driver.AppFile("msnpack/heart.QZK")), support::ReadFile(site.File("heart.QZK")));
        }
        const auto second = driver.Run(url);
        QVERIFY2(second.installed, qPrintable(second.label));
        QCOMPARE(second.progress, 100);
        const auto packs = driver.StoredPacks();
        QCOMPARE(packs.size(), size_t(2));
        QCOMPARE(packs[1].items[0].name, std::string("Bouncing Heart"));
    }

    void aPackFromAnHttpsSiteIsInstalledAndAnUntrustedOneShowsCode10001() {
        support::InstallWindowDriver driver;
        support::TempFolder site;
        support::WriteFile(site.File("heart.QZK"), support::ReadFile(SamplePack("heart.QZK")));
        support::TlsSite server(site.Path().string());

        const auto untrusted = driver.Run(server.Url(support::Certificate::Untrusted, "/heart.QZK"));
        QCOMPARE(untrusted.label,
                 QString("installed unsuccessfully.The certificate of localhost is not trustedcode:10001."));
        QCOMPARE(untrusted.button, QString("Cancel"));
        QVERIFY(!Exists(driver.AppFile("msnpack/heart.QZK")));
        QVERIFY(driver.StoredPacks().empty());

        const auto secure = driver.Run(server.Url(support::Certificate::Good, "/heart.QZK"));
        QVERIFY2(secure.installed, qPrintable(secure.label));
        QCOMPARE(secure.progress, 100);
        QCOMPARE(server.Requests(), std::vector<std::string>{"/heart.QZK\t"});
        QCOMPARE(support::ReadFile(driver.AppFile("msnpack/heart.QZK")), support::ReadFile(site.File("heart.QZK")));
        const auto packs = driver.StoredPacks();
        QCOMPARE(packs.size(), size_t(1));
        QCOMPARE(packs[0].items[0].name, std::string("Bouncing Heart"));
    }

    void aWholeCabinetFromASiteIsInstalledAsItIs() {
        support::InstallWindowDriver driver;
        support::TempFolder site;
        support::WriteFile(site.File("owl.QZC"), support::ReadFile(SamplePack("owl.QZC")));
        support::LocalSite server(site.Path().string());
        const auto outcome = driver.Run(server.Base() + "owl.QZC");
        QVERIFY2(outcome.installed, qPrintable(outcome.label));
        QCOMPARE(support::ReadFile(driver.AppFile("msnpack/temppack11.cab")), support::ReadFile(site.File("owl.QZC")));
        QCOMPARE(driver.StoredPacks().size(), size_t(1));
    }

    void aDownloadWhileAnotherRunsShowsCode10001AndCachesNothing() {
        support::InstallWindowDriver driver;
        support::TempFolder site;
        support::WriteFile(site.File("heart.QZK"), support::ReadFile(SamplePack("heart.QZK")));
        support::LocalSite server(site.Path().string());
        // Another copy of the program is downloading into the same file.
        const std::string downloading = "another pack's body";
        support::WriteFile(driver.AppFile("DownPack.Temp"), downloading);
        const int other = open(driver.AppFile("DownPack.Temp").c_str(), O_RDWR | O_CLOEXEC);
        QVERIFY(other >= 0 && flock(other, LOCK_EX | LOCK_NB) == 0);
        const auto outcome = driver.Run(server.Base() + "heart.QZK");
        close(other);
        QCOMPARE(outcome.label, QString("installed unsuccessfully.Another install is downloading a pack; try again when "
                                        "it has finished. code:10001."));
        QVERIFY(server.Requests().empty());
        QCOMPARE(support::ReadFile(driver.AppFile("DownPack.Temp")), downloading);
        QVERIFY(!Exists(driver.AppFile("msnpack/heart.QZK")));
        QVERIFY(driver.StoredPacks().empty());
    }

    void downloadFailuresShowCode10001AndKeepTheCancelButton() {
        support::InstallWindowDriver driver;
        support::TempFolder site;
        support::LocalSite server(site.Path().string());
        const auto missing = driver.Run(server.Base() + "missing.QZK");
        QCOMPARE(missing.label, QString("installed unsuccessfully.HTTP error 404code:10001."));
        QCOMPARE(missing.button, QString("Cancel"));
        // The error page is no pack: nothing is cached and nothing installed.
        QVERIFY(!Exists(driver.AppFile("msnpack/missing.QZK")));
        QVERIFY(driver.StoredPacks().empty());
    }

    void aTakenPortShowsCode10002() {
        support::InstallWindowDriver driver;
        PortTaken port;
        QVERIFY(port.Taken());
        const auto outcome = driver.Run(SamplePack("faces.QZK"));
        QVERIFY2(outcome.label.startsWith("installed unsuccessfully.") && outcome.label.endsWith("code:10002.") &&
                     outcome.label.size() > QString("installed unsuccessfully.code:10002.").size(),
                 qPrintable(outcome.label));
        QCOMPARE(outcome.button, QString("Ok"));
        QVERIFY(!outcome.closed);
    }

    void aCabinetThatCannotBePreparedShowsCode10003() {
        support::InstallWindowDriver driver;
        // A source that is there when the timer looks but cannot be copied.
        std::filesystem::create_directories(driver.AppFile("gone.QZC"));
        const auto folder = driver.Run(driver.AppFile("gone.QZC"));
        QCOMPARE(folder.label, QString("installed unsuccessfully.Error code:10003."));
        QCOMPARE(folder.button, QString("Ok"));

        std::filesystem::remove_all(driver.AppFile("msnpack"));
        const auto noCache = driver.Run(SamplePack("faces.QZK"));
        QCOMPARE(noCache.label, QString("installed unsuccessfully.Error code:10003."));
        QVERIFY(driver.StoredPacks().empty());
    }

    void aDownloadCutShortIsNotCached() {
        support::InstallWindowDriver driver;
        support::ScriptedServer server({[](support::ServerConnection& connection) {
            connection.ReadRequest();
            connection.Send("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\nSCF partial body");
        }});
        const auto outcome = driver.Run(server.Url("/short.QZK"));
        QCOMPARE(outcome.label, QString("installed unsuccessfully.The server 127.0.0.1 ended the download after 16 of "
                                        "1000 bytes.code:10001."));
        QVERIFY(!Exists(driver.AppFile("msnpack/short.QZK")));
    }

    void aStoreThatCannotBeOpenedShowsCode10004() {
        support::InstallWindowDriver driver;
        support::WriteFile(driver.folders.temp.File("plain-file"), "not a folder");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(driver.folders.temp.File("plain-file")));
        const auto outcome = driver.Run(SamplePack("faces.QZK"));
        QVERIFY2(outcome.label.startsWith("installed unsuccessfully.Cannot open the content store") &&
                     outcome.label.endsWith("Code:10004"),
                 qPrintable(outcome.label));
        QCOMPARE(outcome.button, QString("Ok"));
    }

    void aFileThatIsNoCabinetShowsCode10005() {
        support::InstallWindowDriver driver;
        support::WriteFile(driver.AppFile("notes.QZC"), "these are notes, not a pack");
        const auto outcome = driver.Run(driver.AppFile("notes.QZC"));
        QCOMPARE(outcome.label, QString("installed unsuccessfully.Error code:10005."));
        QCOMPARE(outcome.button, QString("Ok"));
        QVERIFY(!outcome.installed);
        QVERIFY(driver.StoredPacks().empty());
    }

    void cancelDuringASlowDownloadCachesNothing() {
        support::InstallWindowDriver driver;
        support::ScriptedServer server({[](support::ServerConnection& connection) {
            connection.ReadRequest();
            connection.Send("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\nSCF partial body");
            connection.Stall();
        }});
        Global().PackToInstall = server.Url("/slow.QZK");
        driver.window = std::make_unique<TFrmInstall>();
        driver.window->show();
        auto* bar = driver.window->findChild<QProgressBar*>("ProgressBar1");
        // The user clicks while the download is still running.
        int progressSeen = -1;
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            if (bar->value() == 0) return;
            progressSeen = bar->value();
            user.stop();
            driver.window->findChild<QPushButton*>("btnOk")->click();
        });
        user.start(10);
        QVERIFY(QTest::qWaitFor([&] { return !driver.window->isVisible(); }, 10000));
        QCOMPARE(progressSeen, 2);
        QTest::qWait(300);
        QVERIFY(!driver.window->Installed);
        QVERIFY(!Exists(driver.AppFile("msnpack/slow.QZK")));
        QVERIFY(driver.StoredPacks().empty());
    }

    void closingTheWindowDuringADownloadCachesNothing() {
        support::InstallWindowDriver driver;
        // No Content-Length: only the window knows that the body is not whole.
        support::ScriptedServer server({[](support::ServerConnection& connection) {
            connection.ReadRequest();
            connection.Send("HTTP/1.0 200 OK\r\n\r\nSCF partial body");
            connection.Stall();
        }});
        Global().PackToInstall = server.Url("/closed.QZK");
        driver.window = std::make_unique<TFrmInstall>();
        driver.window->show();
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            if (server.Requests().empty()) return;
            user.stop();
            driver.window->close();
        });
        user.start(10);
        QVERIFY(QTest::qWaitFor([&] { return !driver.window->isVisible(); }, 10000));
        QTest::qWait(300);
        QVERIFY(!driver.window->Installed);
        QVERIFY(!Exists(driver.AppFile("msnpack/closed.QZK")));
        QVERIFY(driver.StoredPacks().empty());
    }

    void aServerThatStopsAnsweringIsGivenUpAfterThirtySeconds() {
        support::InstallWindowDriver driver;
        Global().PackToInstall = driver.AppFile("missing.QZK");
        TFrmInstall window;
        QCOMPARE(window.Downloader().TimeOut(), 30000);
    }

    void aLocalPathWithHttpInItIsTakenForAUrlAndItsCachedCopyInstalled() {
        support::InstallWindowDriver driver;
        std::filesystem::copy_file(SamplePack("gifts.QZK"), driver.AppFile("msnpack/gifts.QZK"));
        const auto outcome = driver.Run(driver.folders.temp.File("HttpPacks/gifts.QZK"));
        QVERIFY2(outcome.installed, qPrintable(outcome.label));
        QCOMPARE(outcome.progress, 100);
        QCOMPARE(driver.StoredPacks().at(0).items.at(0).name, std::string("Gift"));
    }

    void aUrlIsNotFetchedWhenDownloadsAreSwitchedOff() {
        support::InstallWindowDriver driver;
        Global().DownAfterInstall = 0;
        support::TempFolder site;
        support::WriteFile(site.File("star.QZK"), support::ReadFile(SamplePack("star.QZK")));
        support::LocalSite server(site.Path().string());
        const auto outcome = driver.Run(server.Base() + "star.QZK", 1800);
        QCOMPARE(outcome.label, QString("Installing,Please wait.."));
        QVERIFY(!outcome.closed);
        QVERIFY(server.Requests().empty());
    }

    void aMissingLocalSourceLeavesTheWindowWaitingForCancel() {
        support::InstallWindowDriver driver;
        const auto outcome = driver.Run(driver.AppFile("missing.QZK"), 1800);
        QCOMPARE(outcome.label, QString("Installing,Please wait.."));
        QCOMPARE(outcome.button, QString("Cancel"));
        QVERIFY(!outcome.closed);
        driver.window->findChild<QPushButton*>("btnOk")->click();
        QVERIFY(!driver.window->isVisible());
        QVERIFY(!driver.window->Installed);
    }
};

QUILLANE_WINDOW_TEST_MAIN(FrmInstallTest)
#include "FrmInstallTest.moc"
