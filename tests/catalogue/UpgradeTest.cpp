// The Upgrade command against a real web site on loopback.
#include "FrmMainU.h"
#include "LocalSite.h"
#include "ModalAnswer.h"
#include "TempFolder.h"
#include "TlsSite.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QTreeView>
#include <QElapsedTimer>
#include <filesystem>
#include <optional>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

std::string Catalogue(int packs) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ContentList>\n<Winks>\n";
    for (int i = 1; i <= packs; ++i) {
        xml += "<Item ContentTitle=\"Pack " + std::to_string(i) + "\" DownloadUrl=\"packs/p.QZK\" PrePath=\"p.swf\"/>\n";
    }
    return xml + "</Winks>\n</ContentList>\n";
}

using Paths = std::vector<std::string>;

}  // namespace

class UpgradeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempFolder> app;
    std::unique_ptr<testing::TempFolder> site;
    std::unique_ptr<testing::LocalSite> server;
    std::unique_ptr<TFrmMain> window;

    std::string AppFile(const std::string& name) const { return app->Folder() + name; }
    std::string SiteFile(const std::string& name) const { return site->Folder() + name; }

    void OpenWindow(const std::string& base) {
        testing::WriteFile(AppFile("Config.ini"), "[Config]\r\nDownloadBase=" + base + "\r\nCurrentWinks=3\r\n");
        InstallGlobal(std::make_unique<TGlobal>(app->Folder()));
        window = std::make_unique<TFrmMain>();
        QCOMPARE(Global().CurrentWinks, 57);
    }

private slots:
    void init() {
        app = std::make_unique<testing::TempFolder>();
        site = std::make_unique<testing::TempFolder>();
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(app->Folder() + "data"));
        testing::WriteFile(AppFile("content.dat"), Catalogue(57));
        fs::create_directories(AppFile("Preview"));
        server = std::make_unique<testing::LocalSite>(site->Path().string());
    }

    void cleanup() {
        window.reset();
        server.reset();
    }

    void moreOnTheSiteFetchesPreviewsInOrderAndTheCatalogue() {
        const std::string base = server->Base();
        testing::WriteFile(SiteFile("contentcount.txt"),
                           "60\r\n" + base + "preview/new1.swf\r\n\r\n   \r\n" + base + "preview/old.swf\r\n" + base +
                               "preview/new2.swf\r\n" + base + "preview/missing.swf\r\n" + base +
                               "preview/page.swf\r\n");
        testing::WriteFile(SiteFile("preview/new1.swf"), "GIF89a one");
        testing::WriteFile(SiteFile("preview/new2.swf"), "GIF89a two");
        // The site answers with success, but with a page where a picture should be.
        testing::WriteFile(SiteFile("preview/page.swf"), "<html><body>Down for maintenance</body></html>");
        testing::WriteFile(SiteFile("nmpcontent.dat"), Catalogue(60));
        testing::WriteFile(AppFile("Preview/old.gif"), "kept, never fetched again");
        OpenWindow(base);

        testing::MessageBoxRecorder boxes;
        window->actUpgrade->trigger();
        QCOMPARE(boxes.Texts(), QStringList{"Total 3 new Quillane packs have been downloaded successfully from site."});
        QCOMPARE(server->Requests(), (Paths{"/contentcount.txt", "/preview/new1.swf", "/preview/new2.swf",
                                            "/preview/missing.swf", "/preview/page.swf", "/nmpcontent.dat"}));
        QCOMPARE(testing::ReadFile(AppFile("Preview/new1.gif")), std::string("GIF89a one"));
        QCOMPARE(testing::ReadFile(AppFile("Preview/new2.gif")), std::string("GIF89a two"));
        QCOMPARE(testing::ReadFile(AppFile("Preview/old.gif")), std::string("kept, never fetched again"));
        QVERIFY(!fs::exists(AppFile("Preview/missing.gif")));
        QVERIFY(!fs::exists(AppFile("Preview/page.gif")));
        QCOMPARE(testing::ReadFile(AppFile("content.dat")), Catalogue(60));
        QVERIFY(!fs::exists(AppFile("contentlist.temp")));
        QCOMPARE(Global().CurrentWinks, 60);
        QCOMPARE(window->StatusText(), QString("60 Quillane pack in the list."));
        QVERIFY(testing::ReadFile(AppFile("Config.ini")).find("CurrentWinks=57\r\n") != std::string::npos);
        QVERIFY(window->actUpgrade->isEnabled());
        // The new catalogue comes with no pack chosen: nothing to install.
        QVERIFY(!window->actInstall->isEnabled());
    }

    void nothingNewFetchesNothingElse() {
        OpenWindow(server->Base());
        for (const std::string& count : {std::string("57"), std::string("12"), std::string("0"), std::string("three")}) {
            testing::WriteFile(SiteFile("contentcount.txt"), count + "\r\n" + server->Base() + "preview/x.swf\r\n");
            testing::MessageBoxRecorder boxes;
            window->actUpgrade->trigger();
            QCOMPARE(window->StatusText(), QString("0 new Quillane packs Found in site."));
            QVERIFY(boxes.Texts().isEmpty());
        }
        QCOMPARE(server->Requests(), Paths(4, "/contentcount.txt"));
        QCOMPARE(testing::ReadFile(AppFile("content.dat")), Catalogue(57));
    }

    void aMissingOrDamagedCatalogueKeepsTheOldOne() {
        OpenWindow(server->Base());
        testing::WriteFile(SiteFile("contentcount.txt"), "60\r\n");
        const std::string before = testing::ReadFile(AppFile("content.dat"));
        // The pack chosen before a failed update can still be installed.
        QAbstractItemModel* tree = window->treWinksList->model();
        window->treWinksList->setCurrentIndex(tree->index(0, 0, tree->index(0, 0)));
        window->actInstall->setEnabled(true);
        // The site has no catalogue (404), then one that is not well-formed, then a
        // well-formed maintenance page, then a catalogue whose categories hold no pack.
        for (const std::optional<std::string>& served :
             {std::optional<std::string>(), std::optional<std::string>("<ContentList><Winks>"),
              std::optional<std::string>("<html><head><title>Maintenance</title></head><body><p>Back soon</p></body></html>"),
              std::optional<std::string>("<ContentList><Winks/><Emoticons><Note/></Emoticons></ContentList>")}) {
            if (served) testing::WriteFile(SiteFile("nmpcontent.dat"), *served);
            testing::MessageBoxRecorder boxes;
            window->actUpgrade->trigger();
            QCOMPARE(window->StatusText(), QString("updated unsuccessfully"));
            QVERIFY(boxes.Texts().isEmpty());
            QCOMPARE(testing::ReadFile(AppFile("content.dat")), before);
            QVERIFY(!fs::exists(AppFile("contentlist.temp")));
            QCOMPARE(Global().CurrentWinks, 57);
            QVERIFY(window->actInstall->isEnabled());
        }
    }

    void aCatalogueInACodePageIsTakenAndOneInAnUnknownEncodingIsNot() {
        OpenWindow(server->Base());
        testing::WriteFile(SiteFile("contentcount.txt"), "60\r\n");
        const std::string before = testing::ReadFile(AppFile("content.dat"));
        fs::copy_file(testing::WindowsTextFile("list-unknown.mpl"), SiteFile("nmpcontent.dat"));
        window->actUpgrade->trigger();
        QCOMPARE(window->StatusText(), QString("updated unsuccessfully"));
        QCOMPARE(testing::ReadFile(AppFile("content.dat")), before);

        const std::string chinese = testing::ReadFile(testing::WindowsTextFile("list-gbk.mpl"));
        testing::WriteFile(SiteFile("nmpcontent.dat"), chinese);
        testing::MessageBoxRecorder boxes;
        window->actUpgrade->trigger();
        QCOMPARE(boxes.Texts(), QStringList{"Total 3 new Quillane packs have been downloaded successfully from site."});
        QCOMPARE(testing::ReadFile(AppFile("content.dat")), chinese);
        QCOMPARE(window->StatusText(), QString("2 Quillane pack in the list."));
        const QAbstractItemModel* tree = window->treWinksList->model();
        QCOMPARE(tree->data(tree->index(0, 0, tree->index(0, 0))).toString(), QString("笑脸"));
    }

    void aSecureMirrorIsUsedAndAnUntrustedOneChangesNothing() {
        testing::TlsSite mirror(site->Path().string());
        testing::WriteFile(SiteFile("contentcount.txt"),
                           "60\r\n" + mirror.Url(testing::Certificate::Good, "/preview/new1.swf") + "\r\n");
        testing::WriteFile(SiteFile("preview/new1.swf"), "GIF89a one");
        testing::WriteFile(SiteFile("nmpcontent.dat"), Catalogue(60));

        OpenWindow(mirror.Url(testing::Certificate::Untrusted, "/"));
        window->actUpgrade->trigger();
        QCOMPARE(window->StatusText(), QString("updated unsuccessfully"));
        QCOMPARE(testing::ReadFile(AppFile("content.dat")), Catalogue(57));
        QVERIFY(!fs::exists(AppFile("contentcount.txt")));
        QVERIFY(mirror.Requests().empty());

        OpenWindow(mirror.Url(testing::Certificate::Good, "/"));
        testing::MessageBoxRecorder boxes;
        window->actUpgrade->trigger();
        QCOMPARE(boxes.Texts(), QStringList{"Total 3 new Quillane packs have been downloaded successfully from site."});
        QCOMPARE(mirror.Requests(), (Paths{"/contentcount.txt\t", "/preview/new1.swf\t", "/nmpcontent.dat\t"}));
        QCOMPARE(testing::ReadFile(AppFile("Preview/new1.gif")), std::string("GIF89a one"));
        QCOMPARE(testing::ReadFile(AppFile("content.dat")), Catalogue(60));
    }

    void anUnreachableSiteFails() {
        OpenWindow("http://127.0.0.1:" + std::to_string(testing::FreePort()) + "/");
        window->actUpgrade->trigger();
        QCOMPARE(window->StatusText(), QString("updated unsuccessfully"));
        QVERIFY(window->actUpgrade->isEnabled());
    }

    void aStalledSiteEndsWithinTheTimeOut() {
        // A listener that accepts and never answers.
        const int port = testing::FreePort();
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(listen(listener, 4), 0);
        OpenWindow("http://127.0.0.1:" + std::to_string(port) + "/");
        QElapsedTimer clock;
        clock.start();
        window->actUpgrade->trigger();
        QCOMPARE(window->StatusText(), QString("updated unsuccessfully"));
        QVERIFY(clock.elapsed() < 45000);
        QCOMPARE(testing::ReadFile(AppFile("content.dat")), Catalogue(57));
        close(listener);
    }
};

QUILLANE_WINDOW_TEST_MAIN(UpgradeTest)
#include "UpgradeTest.moc"
