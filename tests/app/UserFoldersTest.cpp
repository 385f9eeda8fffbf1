// An application folder installed for all users, read-only: the main window
// reads the bundled catalogue, skins, previews and sample packs from it and
// writes only into the user's own folders below the XDG base directories.
// The application folder is a marked, read-only copy of the built one, or the
// unpacked package that QUILLANE_INSTALLED_APP_DIR names (tests/package).
#include "FlashView.h"
#include "FrmMainU.h"
#include "LocalSite.h"
#include "ModalAnswer.h"
#include "TempFolder.h"
#include "TreeClicks.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QTreeView>
#include <filesystem>
#include <map>
#include <sys/stat.h>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

// What a folder holds: every path below it with its size and time of change.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> Snapshot(const std::string& folder) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const bool file = entry.is_regular_file() && !entry.is_symlink();
        entries[entry.path().string()] = {file ? entry.file_size() : 0, entry.symlink_status().type() ==
                                                                               fs::file_type::symlink
                                                                           ? fs::file_time_type()
                                                                           : entry.last_write_time()};
    }
    return entries;
}

void SetWritable(const std::string& folder, bool writable) {
    const auto change = [writable](const fs::path& path) {
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        writable ? fs::perm_options::add : fs::perm_options::remove);
    };
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_symlink()) change(entry.path());
    }
    change(folder);
}

std::string Catalogue(int packs) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ContentList>\n<Winks>\n";
    for (int i = 1; i <= packs; ++i) {
        xml += "<Item ContentTitle=\"Pack " + std::to_string(i) + "\" DownloadUrl=\"packs/winks/heart.QZK\" "
               "PrePath=\"heart.swf\"/>\n";
    }
    return xml + "</Winks>\n</ContentList>\n";
}

}  // namespace

class UserFoldersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempFolder> copy;  // the marked copy, when no package is given
    std::string app;
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> before;
    std::unique_ptr<testing::TempFolder> user;
    std::unique_ptr<TFrmMain> window;

    std::string Config() const { return user->Folder() + "config/Quillane/Config.ini"; }
    std::string UserFile(const std::string& name) const { return user->Folder() + "data/Quillane/" + name; }

    // The environment of one user of the machine, below `home`.
    static void UseHome(const std::string& home) {
        for (const char* folder : {"config", "data", "cache", "system", "runtime"}) {
            fs::create_directories(home + folder);
        }
        fs::permissions(home + "runtime", fs::perms::owner_all);
        qputenv("HOME", QByteArray::fromStdString(home));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home + "config"));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home + "data"));
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(home + "cache"));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(home + "system"));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(home + "runtime"));
    }

    void OpenWindow() {
        InstallGlobal(std::make_unique<TGlobal>(ProgramFolders(app)));
        window = std::make_unique<TFrmMain>();
    }

private slots:
    void initTestCase() {
        if (const char* installed = std::getenv("QUILLANE_INSTALLED_APP_DIR")) {
            app = WithSlash(installed);
        } else {
            copy = std::make_unique<testing::TempFolder>();
            app = copy->Folder() + "Quillane/";
            const std::string built = testing::AppFolder();
            fs::create_directories(app);
            for (const char* name : {"content.dat", "Skins", "Preview", "msnpack"}) {
                fs::copy(built + name, app + name, fs::copy_options::recursive);
            }
            fs::create_symlink(built + "cabarc", app + "cabarc");
            fs::create_directory_symlink(built + "ruffle", app + "ruffle");
            testing::WriteFile(app + kSystemWideMarker, "installed for all users\n");
            SetWritable(app, false);
        }
        QVERIFY(fs::exists(app + "content.dat"));
        before = Snapshot(app);
    }

    void cleanupTestCase() {
        QVERIFY2(Snapshot(app) == before, "the application folder changed");
        if (copy) SetWritable(app, true);
    }

    void init() {
        user = std::make_unique<testing::TempFolder>();
        UseHome(user->Folder());
    }

    void cleanup() {
        window.reset();
        user.reset();
    }

    void theFoldersAreTheUsersOwnOnlyWhenInstalled() {
        const TProgramFolders installed = ProgramFolders(app);
        QCOMPARE(installed.AppPath, app);
        QCOMPARE(installed.UserPath, user->Folder() + "data/Quillane/");
        QCOMPARE(installed.ConfigFile, Config());
        // A folder of the user's own is the portable layout: it holds everything.
        const testing::TempFolder portable;
        const TProgramFolders own = ProgramFolders(portable.Folder());
        QCOMPARE(own.UserPath, portable.Folder());
        QCOMPARE(own.ConfigFile, portable.Folder() + "Config.ini");
    }

    void settingsPreviewsAndTheAssociationStayWithTheUser() {
        // The package's desktop entry, installed for the whole system.
        testing::WriteFile(user->Folder() + "system/applications/example.quillane.Quillane.desktop", "[Desktop Entry]\n");
        OpenWindow();
        QCOMPARE(Global().CatalogueFile(), app + "content.dat");
        QCOMPARE(window->StatusText(), QString("18 Quillane pack in the list."));
        QVERIFY2(!fs::exists(user->Folder() + "data/applications"), "the user got an association of their own");
        struct stat status {};
        QCOMPARE(stat(UserFile("").c_str(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0700u);

        window->meuStatusBar->trigger();
        QVERIFY(testing::ReadFile(Config()).find("ShowStatus=0\r\n") != std::string::npos);

        // A wink is previewed from the bundled sample pack, through the user's msnpack/.
        testing::ClickPackInTree(window->treWinksList, 0, 0);
        QTRY_COMPARE(window->flsPreview->Movie(), QString("heart.swf"));
    }

    void anUpdatedCatalogueTakesTheBundledOnesPlaceForThisUserOnly() {
        testing::TempFolder site;
        testing::LocalSite server(site.Path().string());
        testing::WriteFile(site.File("contentcount.txt"), "20\r\n" + server.Base() + "preview/fresh.swf\r\n");
        testing::WriteFile(site.File("preview/fresh.swf"), "GIF89a fresh");
        testing::WriteFile(site.File("nmpcontent.dat"), Catalogue(20));
        testing::WriteFile(Config(), "[Config]\r\nDownloadBase=" + server.Base() + "\r\n");
        OpenWindow();
        {
            testing::MessageBoxRecorder boxes;
            window->actUpgrade->trigger();
            QCOMPARE(boxes.Texts(), QStringList{"Total 2 new Quillane packs have been downloaded successfully from site."});
        }
        QCOMPARE(testing::ReadFile(UserFile("content.dat")), Catalogue(20));
        QCOMPARE(testing::ReadFile(UserFile("Preview/fresh.gif")), std::string("GIF89a fresh"));
        QVERIFY(fs::exists(UserFile("contentcount.txt")));
        QVERIFY(testing::ReadFile(Config()).find("CurrentWinks=18\r\n") != std::string::npos);
        QCOMPARE(Global().CatalogueFile(), UserFile("content.dat"));
        QCOMPARE(window->StatusText(), QString("20 Quillane pack in the list."));
        window.reset();

        // Another user of the machine still sees the bundled catalogue, with settings of their own.
        const testing::TempFolder other;
        UseHome(other.Folder());
        OpenWindow();
        QCOMPARE(Global().CatalogueFile(), app + "content.dat");
        QCOMPARE(window->StatusText(), QString("18 Quillane pack in the list."));
        QCOMPARE(Global().DownloadBase, std::string(kDefaultDownloadBase));
        window.reset();
    }

private:
    static std::string WithSlash(std::string folder) {
        if (folder.empty() || folder.back() != '/') folder += '/';
        return folder;
    }
};

QUILLANE_WINDOW_TEST_MAIN(UserFoldersTest)
#include "UserFoldersTest.moc"
