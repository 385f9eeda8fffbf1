// The main window's install commands, through the real install window, server and store.
#include "ContentStore.h"
#include "FrmInstallU.h"
#include "FrmMainU.h"
#include "LocalSite.h"
#include "MainWindowUnderTest.h"
#include "ModalAnswer.h"
#include "TreeClicks.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>
#include <filesystem>

using namespace quillane;
namespace fs = std::filesystem;
namespace support = quillane::testing;

namespace {

// Presses the install window's button once it shows a result code, as a user
// who has read the message does.
void DismissInstallWindowOnResult() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        auto* window = qobject_cast<TFrmInstall*>(QApplication::activeModalWidget());
        if (!window || !window->findChild<QLabel*>("labInstallState")->text().contains("ode:")) return;
        timer->stop();
        timer->deleteLater();
        window->findChild<QPushButton*>("btnOk")->click();
    });
    timer->start(20);
}

}  // namespace

class InstallCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<support::WindowTestFolders> folders;
    std::unique_ptr<support::TempFolder> site;
    std::unique_ptr<support::LocalSite> server;
    std::unique_ptr<TFrmMain> window;

    std::string AppFile(const std::string& name) const { return folders->AppFile(name); }
    std::vector<TStoredPack> StoredPacks() const {
        return TContentStore(folders->temp.Folder() + "data/Quillane/Messenger/").Packs();
    }

    void Click(int pack) { support::ClickPackInTree(window->treWinksList, 0, pack); }

private slots:
    void init() {
        folders = std::make_unique<support::WindowTestFolders>();
        qputenv("HOME", QByteArray::fromStdString(folders->temp.Folder() + "home"));
        site = std::make_unique<support::TempFolder>();
        fs::create_directories(site->File("packs"));
        fs::copy_file(support::AppFolder() + "msnpack/heart.QZK", site->File("packs/heart.QZK"));
        server = std::make_unique<support::LocalSite>(site->Path().string());
        const std::string local = AppFile("msnpack/faces.QZK");
        fs::copy_file(support::AppFolder() + "msnpack/faces.QZK", local);
        support::WriteFile(AppFile("Config.ini"), "[Config]\r\nDownloadBase=" + server->Base() + "\r\n");
        support::WriteFile(AppFile("content.dat"),
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ContentList>\n<Emoticons>\n"
                           "<Item ContentTitle=\"Faces\" DownloadUrl=\"" + local + "\" PrePath=\"faces.gif\" EmoticonsCount=\"4\"/>\n"
                           "<Item ContentTitle=\"Heart\" DownloadUrl=\"packs/heart.QZK\" PrePath=\"heart.swf\"/>\n"
                           "<Item ContentTitle=\"Gone\" DownloadUrl=\"packs/gone.QZK\" PrePath=\"gone.swf\"/>\n"
                           "</Emoticons>\n</ContentList>\n");
        window = support::ShowMainWindow(*folders);
        QVERIFY(window);
    }

    void cleanup() {
        window.reset();
        server.reset();
        site.reset();
        folders.reset();
    }

    void withoutAPackSelectedTheUserIsAskedToSelectOne() {
        const auto seen = support::AnswerMessageBox();
        window->actInstallExecute();
        QVERIFY(seen->seen);
        QCOMPARE(seen->text, QString("Please select a pack on the left list."));
        QCOMPARE(seen->title, QString("Quillane"));
        QCOMPARE(seen->icon, QMessageBox::Information);
        QVERIFY(StoredPacks().empty());
    }

    void aPackWhoseFileExistsIsInstalledFromThatFile() {
        Click(0);
        QVERIFY(window->actInstall->isEnabled());
        window->actInstall->trigger();
        QCOMPARE(window->StatusText(), QString("installed successfully"));
        QCOMPARE(Global().PackToInstall, AppFile("msnpack/faces.QZK"));
        const auto packs = StoredPacks();
        QCOMPARE(packs.size(), size_t(1));
        QCOMPARE(packs[0].items[0].name, std::string("Smile"));
        QCOMPARE(packs[0].title, std::string("Faces"));
        for (const auto& request : server->Requests()) QVERIFY(request.find(".QZK") == std::string::npos);
    }

    void aPackOfTheSiteIsDownloadedBelowTheDownloadBase() {
        Click(1);
        window->actInstall->trigger();
        QCOMPARE(window->StatusText(), QString("installed successfully"));
        QCOMPARE(Global().PackToInstall, server->Base() + "packs/heart.QZK");
        const auto requests = server->Requests();
        QVERIFY(std::find(requests.begin(), requests.end(), "/packs/heart.QZK") != requests.end());
        QCOMPARE(StoredPacks().at(0).items.at(0).name, std::string("Bouncing Heart"));
        QCOMPARE(StoredPacks().at(0).title, std::string("Heart"));
    }

    void aFailedInstallIsReportedInTheStatusBar() {
        Click(2);
        DismissInstallWindowOnResult();
        window->actInstall->trigger();
        QCOMPARE(window->StatusText(), QString("installed unsuccessfully"));
        QVERIFY(StoredPacks().empty());
    }

    void aPackFileFromTheDiskIsInstalled() {
        const std::string chosen = site->File("mine/robot.QZC");
        fs::create_directories(site->File("mine"));
        fs::copy_file(support::AppFolder() + "msnpack/robot.QZC", chosen);
        support::AnswerFileDialog(chosen);
        window->actInstallLocal->trigger();
        QCOMPARE(window->StatusText(), QString("installed successfully"));
        QCOMPARE(Global().PackToInstall, chosen);
        QCOMPARE(StoredPacks().at(0).items.at(0).name, std::string("Blue Robot"));
        QCOMPARE(StoredPacks().at(0).name, std::string("robot.QZC"));
        QCOMPARE(StoredPacks().at(0).title, std::string());
    }
};

QUILLANE_WINDOW_TEST_MAIN(InstallCommandsTest)
#include "InstallCommandsTest.moc"
