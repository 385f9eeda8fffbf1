// The Installed Content window over a store filled by real installs of the
// bundled packs through the install window.
#include "FaultSupport.h"
#include "FrmInstalledContent.h"
#include "FrmMainU.h"
#include "InstallWindowDriver.h"
#include "KeyboardUse.h"
#include "LocalSite.h"
#include "ModalAnswer.h"
#include "PackFixtures.h"
#include "PidginThemeReader.h"
#include "TreeClicks.h"
#include "UniqueFd.h"
#include "WinksGlobal.h"
#include "WindowTestMain.h"

#include <QAction>
#include <QBuffer>
#include <QDesktopServices>
#include <QMovie>
#include <QTreeWidget>
#include <QUrl>

#include <fcntl.h>
#include <functional>
#include <sys/file.h>

using namespace quillane;
namespace fs = std::filesystem;
namespace support = quillane::testing;

namespace {

QStringList Column(const QTreeWidget* list, int column) {
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row) texts << list->topLevelItem(row)->text(column);
    return texts;
}

// Keeps the files in a folder from being deleted while it lives: a read-only
// bind mount, which holds for root as well, where this process may mount;
// else the folder's mode.
class UndeletableFiles {
public:
    explicit UndeletableFiles(const std::string& folder) : folder_(folder), mount_(folder) {
        if (!mount_.Ready()) fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
    }
    ~UndeletableFiles() {
        if (!mount_.Ready()) fs::permissions(folder_, fs::perms::owner_all);
    }

private:
    std::string folder_;
    support::ReadOnlyFolder mount_;
};

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

}  // namespace

class FrmInstalledContentTest : public QObject {
    Q_OBJECT

    std::unique_ptr<support::InstallWindowDriver> driver;

    static std::string Sample(const std::string& name) { return support::AppFolder() + "msnpack/" + name; }
    std::string Smileys() const { return driver->folders.temp.Folder() + "home/.purple/smileys/"; }

    void Install(const std::string& pack) {
        const auto outcome = driver->Run(pack);
        QVERIFY2(outcome.installed, qPrintable(outcome.label));
    }

    std::unique_ptr<TFrmInstalledContent> OpenWindow() {
        auto window = std::make_unique<TFrmInstalledContent>(driver->StoreFolder());
        window->show();
        return window;
    }

    static QTreeWidget* Packs(QWidget* window) { return window->findChild<QTreeWidget*>("lstPacks"); }
    static QTreeWidget* Items(QWidget* window) { return window->findChild<QTreeWidget*>("lstItems"); }
    static QPushButton* Button(QWidget* window, const char* name) { return window->findChild<QPushButton*>(name); }

    static void Select(QWidget* window, int row) {
        QTreeWidget* packs = Packs(window);
        QTreeWidgetItem* item = packs->topLevelItem(row);
        QVERIFY(item);
        QTest::mouseClick(packs->viewport(), Qt::LeftButton, {}, packs->visualItemRect(item).center());
        QVERIFY(item->isSelected());
    }

    // Hidden ones included.
    static QStringList Entries(const std::string& folder) {
        QStringList names;
        for (const auto& entry : fs::directory_iterator(folder)) names << QString::fromStdString(entry.path().filename().string());
        return names;
    }

    static QMovie* Picture(QWidget* window, int row) {
        auto* label = qobject_cast<QLabel*>(Items(window)->itemWidget(Items(window)->topLevelItem(row), 0));
        return label ? label->movie() : nullptr;
    }

    // Answers the question; with `report`, then OK to the box that reports the outcome, keeping what it said.
    static void AnswerQuestion(QMessageBox::StandardButton answer, std::shared_ptr<support::SeenBox>* report = nullptr) {
        support::AnswerNextModal([answer, report](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box && box->icon() == QMessageBox::Question);
            // Names come from packs: never drawn as markup.
            QCOMPARE(box->textFormat(), Qt::PlainText);
            if (report) *report = support::AnswerMessageBox();
            box->button(answer)->click();
        });
    }

private slots:
    void init() {
        driver = std::make_unique<support::InstallWindowDriver>();
    }
    void cleanup() { driver.reset(); }

    void aUserSeesExportsAndRemovesTwoInstalledEmoticonPacks() {
        // A pack file is shown by its file's name.
        Install(Sample("faces.QZK"));
        support::TempFolder site;
        fs::create_directories(site.File("packs"));
        fs::copy_file(Sample("faces2.QZK"), site.File("packs/faces2.QZK"));
        support::LocalSite server(site.Path().string());
        Global().DownloadBase = server.Base();
        support::WriteFile(driver->AppFile("content.dat"),
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ContentList>\n<Emoticons>\n"
                           "<Item ContentTitle=\"Cheeky Faces\" DownloadUrl=\"packs/faces2.QZK\" PrePath=\"MYFACE2\" "
                           "EmoticonsCount=\"4\"/>\n</Emoticons>\n</ContentList>\n");
        TFrmMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.findChild<QAction*>("actInstalledContent")->trigger();
        auto* window = main.findChild<TFrmInstalledContent*>();
        QVERIFY(window && window->isVisible());
        QCOMPARE(Column(Packs(window), 0), QStringList{"faces.QZK"});

        // Installed from the catalogue while the window is open: shown by its title there.
        support::ClickPackInTree(main.treWinksList, 0, 0);
        main.actInstall->trigger();
        QCOMPARE(main.StatusText(), QString("installed successfully"));
        Button(window, "btnRefresh")->click();
        QCOMPARE(Column(Packs(window), 0), (QStringList{"faces.QZK", "Cheeky Faces"}));
        QCOMPARE(Column(Packs(window), 2), (QStringList{"4 emoticons", "4 emoticons"}));
        const QDateTime installed = QDateTime::fromString(Packs(window)->topLevelItem(0)->text(1), "yyyy-MM-dd HH:mm");
        QVERIFY(qAbs(installed.secsTo(QDateTime::currentDateTime())) < 120);

        Select(window, 0);
        QCOMPARE(Column(Items(window), 1), QStringList(4, "emoticon"));
        QCOMPARE(Column(Items(window), 2), (QStringList{"Smile", "Grin", "Wink", "Wow"}));
        QCOMPARE(Column(Items(window), 3), (QStringList{":)", ":D", ";)", ":O"}));
        for (int row = 0; row < 4; ++row) QCOMPARE(Picture(window, row)->state(), QMovie::Running);

        auto report = support::AnswerMessageBox();
        Button(window, "btnExportPidgin")->click();
        QVERIFY(report->seen);
        QVERIFY2(report->text.startsWith("Exported 1 Pidgin smiley theme"), qPrintable(report->text));
        QVERIFY2(report->text.contains("Tools > Preferences > Themes > Smiley Theme"), qPrintable(report->text));
        const auto theme = support::ReadPidginTheme(Smileys() + "faces/");
        QCOMPARE(theme.keys.at("Name"), std::string("faces"));
        const auto faces = driver->StoredPacks().at(0);
        QCOMPARE(theme.smileys.size(), faces.items.size());
        QCOMPARE(theme.keys.at("Icon"), theme.smileys[0].file);
        for (size_t index = 0; index < faces.items.size(); ++index) {
            QCOMPARE(theme.smileys[index].shortcuts, std::vector<std::string>{faces.items[index].shortcut});
            QVERIFY(support::ReadFile(Smileys() + "faces/" + theme.smileys[index].file) ==
                    support::ReadFile(driver->StoreFolder() + faces.items[index].file));
        }

        Select(window, 1);
        const std::string removedFolder = TContentStore(driver->StoreFolder()).PackFolder(driver->StoredPacks().at(1).id);
        AnswerQuestion(QMessageBox::Yes);
        Button(window, "btnRemove")->click();
        QTRY_COMPARE(Column(Packs(window), 0), QStringList{"faces.QZK"});
        QCOMPARE(driver->StoredPacks().size(), size_t(1));
        QVERIFY(!fs::exists(removedFolder));
    }

    void packsOfOtherKindsShowTheirItemsAndCannotBeExported() {
        Install(Sample("robot.QZC"));
        Install(Sample("heart.QZK"));
        // A pack stored before names and times were recorded.
        std::string index = support::ReadFile(driver->StoreFolder() + "index.xml");
        const auto name = index.find(" name=\"robot.QZC\"");
        QVERIFY(name != std::string::npos);
        index.erase(name, std::string(" name=\"robot.QZC\"").size());
        support::WriteFile(driver->StoreFolder() + "index.xml", index);

        const auto window = OpenWindow();
        QCOMPARE(Column(Packs(window.get()), 0), (QStringList{"robot.gif", "heart.QZK"}));
        QCOMPARE(Column(Packs(window.get()), 2), (QStringList{"1 display picture", "1 wink"}));
        QCOMPARE(Column(Items(window.get()), 1), QStringList{"display picture"});
        QCOMPARE(Column(Items(window.get()), 2), QStringList{"Blue Robot"});
        QCOMPARE(Column(Items(window.get()), 3), QStringList{""});
        QVERIFY(Picture(window.get(), 0) && Picture(window.get(), 0)->isValid());
        // The 96-pixel picture is shown whole, scaled down, in the middle of its row as the texts are.
        QCOMPARE(Picture(window.get(), 0)->currentImage().size(), QSize(48, 48));
        QWidget* shown = Items(window.get())->itemWidget(Items(window.get())->topLevelItem(0), 0);
        const QRect row = Items(window.get())->visualItemRect(Items(window.get())->topLevelItem(0));
        QVERIFY(qAbs(shown->geometry().center().y() - row.center().y()) <= 1);
        QVERIFY(!Button(window.get(), "btnExportPidgin")->isEnabled());

        Select(window.get(), 1);
        QCOMPARE(Column(Items(window.get()), 1), QStringList{"wink"});
        QCOMPARE(Column(Items(window.get()), 2), QStringList{"Bouncing Heart"});
        QVERIFY(!Button(window.get(), "btnExportPidgin")->isEnabled());

        UrlRecorder recorder;
        QDesktopServices::setUrlHandler("file", &recorder, "open");
        Button(window.get(), "btnOpenFolder")->click();
        QDesktopServices::unsetUrlHandler("file");
        const std::string folder = TContentStore(driver->StoreFolder()).PackFolder(driver->StoredPacks().at(1).id);
        QCOMPARE(recorder.opened, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(folder))});
    }

    // A wink is shown by the still picture its cabinet holds beside the movie, as
    // the bundled ones are; one whose cabinet holds only its movie shows none.
    void aWinkShowsTheStillPictureItsCabinetHolds() {
        QImage still(96, 96, QImage::Format_RGB32);
        still.fill(Qt::darkCyan);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(still.save(&buffer, "PNG"));
        support::TempFolder work;
        support::MakeCabinetOf(work.File("wave.cab"), {{"content.xml", support::WinkCabinetManifest("wave.swf", "wave.png")},
                                                       {"wave.swf", "FWS movie"},
                                                       {"wave.png", png.toStdString()}});
        const std::string pack = driver->AppFile("wave.CAB");
        support::MakeCabinetOf(pack, {{"content.xml", support::WinkManifest("wave.cab", "Waving")},
                                      {"wave.cab", support::ReadFile(work.File("wave.cab"))}});
        support::MakeCabinetOf(work.File("nod.cab"), {{"nod.swf", "FWS movie"}});
        const std::string bare = driver->AppFile("nod.CAB");
        support::MakeCabinetOf(bare, {{"content.xml", support::WinkManifest("nod.cab", "Nodding")},
                                      {"nod.cab", support::ReadFile(work.File("nod.cab"))}});
        Install(pack);
        Install(Sample("heart.QZK"));
        Install(bare);

        const auto window = OpenWindow();
        QCOMPARE(Column(Packs(window.get()), 0), (QStringList{"wave.CAB", "heart.QZK", "nod.CAB"}));
        QCOMPARE(Column(Items(window.get()), 2), QStringList{"Waving"});
        QMovie* picture = Picture(window.get(), 0);
        QVERIFY(picture && picture->isValid());
        QCOMPARE(picture->currentImage().size(), QSize(48, 48));
        QCOMPARE(picture->currentImage().pixelColor(24, 24), QColor(Qt::darkCyan));

        // The bundled wink's 64-pixel still: its red heart on a pale pink ground.
        Select(window.get(), 1);
        QCOMPARE(Column(Items(window.get()), 2), QStringList{"Bouncing Heart"});
        picture = Picture(window.get(), 0);
        QVERIFY(picture && picture->isValid());
        QCOMPARE(picture->currentImage().size(), QSize(48, 48));
        QCOMPARE(picture->currentImage().pixelColor(24, 28), QColor(230, 40, 70));
        QCOMPARE(picture->currentImage().pixelColor(2, 2), QColor(255, 240, 245));

        Select(window.get(), 2);
        QCOMPARE(Column(Items(window.get()), 2), QStringList{"Nodding"});
        QVERIFY(!Picture(window.get(), 0));
    }

    void aRemoveThatFailsHalfWayLeavesTheIndexTrueToTheDisk() {
        Install(Sample("faces.QZK"));
        Install(Sample("faces2.QZK"));
        const auto window = OpenWindow();
        const std::string folder = TContentStore(driver->StoreFolder()).PackFolder(driver->StoredPacks().at(0).id);
        const UndeletableFiles undeletable(folder);
        std::shared_ptr<support::SeenBox> report;
        AnswerQuestion(QMessageBox::Yes, &report);
        Button(window.get(), "btnRemove")->click();
        QTRY_VERIFY(report && report->seen);
        QCOMPARE(report->icon, QMessageBox::Warning);
        QVERIFY2(report->text.contains("no longer installed, but some of its files could not be deleted"),
                 qPrintable(report->text));
        QVERIFY2(report->text.contains(QString::fromStdString(folder)), qPrintable(report->text));
        QCOMPARE(Column(Packs(window.get()), 0), QStringList{"faces2.QZK"});
        const auto stored = driver->StoredPacks();
        QCOMPARE(stored.size(), size_t(1));
        for (const auto& item : stored[0].items) QVERIFY(fs::is_regular_file(driver->StoreFolder() + item.file));
    }

    void anExistingThemeIsReplacedOnlyAfterYesAndAShortcutPidginCannotReadIsLeftOut() {
        const std::string pack = driver->AppFile("spaced.CAB");
        const std::string tooLong(64, 'b');
        support::MakeCabinetOf(pack, {{"content.xml", support::EmoticonManifest(support::EmoticonItem("a.gif", "A", "a \\o/") +
                                                                                support::EmoticonItem("b.gif", "B", tooLong))},
                                      {"a.gif", "GIF89a a"},
                                      {"b.gif", "GIF89a b"}});
        Install(pack);
        const std::string theme = Smileys() + "spaced/";
        support::WriteFile(theme + "theme", "Name=spaced\n\n[default]\nmine.gif :)\n");
        const auto window = OpenWindow();

        std::shared_ptr<support::SeenBox> kept;
        AnswerQuestion(QMessageBox::No, &kept);
        Button(window.get(), "btnExportPidgin")->click();
        QVERIFY(kept && kept->seen);
        QCOMPARE(kept->text, QString("Kept the existing Pidgin smiley theme spaced."));
        QCOMPARE(support::ReadFile(theme + "theme"), std::string("Name=spaced\n\n[default]\nmine.gif :)\n"));

        std::shared_ptr<support::SeenBox> replaced;
        AnswerQuestion(QMessageBox::Yes, &replaced);
        Button(window.get(), "btnExportPidgin")->click();
        QVERIFY(replaced && replaced->seen);
        QVERIFY2(replaced->text.contains("1 shortcut was left out: Pidgin reads no shortcut longer than 63 bytes or "
                                         "holding a line break."),
                 qPrintable(replaced->text));
        const auto read = support::ReadPidginTheme(theme);
        QCOMPARE(read.smileys.size(), size_t(1));
        QCOMPARE(read.smileys[0].file, std::string("a.gif"));
        QCOMPARE(read.smileys[0].shortcuts, std::vector<std::string>{"a \\o/"});
        QVERIFY(!fs::exists(theme + "mine.gif"));
    }

    // A removal asked while an install holds the store waits for it off the
    // window's thread: the window goes on, says why, and removes the pack after.
    void aRemoveWhileTheStoreIsBusyKeepsTheWindowGoing() {
        Install(Sample("faces.QZK"));
        const auto window = OpenWindow();
        Select(window.get(), 0);
        auto held = std::make_unique<UniqueFd>(::open(driver->StoreFolder().c_str(), O_RDONLY | O_DIRECTORY));
        QCOMPARE(::flock(held->get(), LOCK_EX), 0);
        AnswerQuestion(QMessageBox::Yes);
        Button(window.get(), "btnRemove")->click();
        QTRY_VERIFY(window->findChild<QLabel*>("lblStoreBusy")->isVisible());
        QCOMPARE(Packs(window.get())->topLevelItemCount(), 1);
        QVERIFY(!Button(window.get(), "btnRemove")->isEnabled());
        held.reset();
        QTRY_COMPARE(Packs(window.get())->topLevelItemCount(), 0);
        QVERIFY(!window->findChild<QLabel*>("lblStoreBusy")->isVisible());
        QVERIFY(driver->StoredPacks().empty());
    }

    // From the keyboard: Tab goes round every control, Enter on a pack opens
    // nothing, and Delete asks about the selected pack and removes only it.
    void theKeyboardReachesEveryControlAndDeleteRemovesTheSelectedPack() {
        Install(Sample("faces.QZK"));
        Install(Sample("faces2.QZK"));
        const auto window = OpenWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(support::Focused(window.get()), QString("lstPacks"));
        QCOMPARE(support::TabPath(window.get(), 7), (QStringList{"lstItems", "btnRemove", "btnOpenFolder", "btnExportPidgin",
                                                                 "btnRefresh", "btnClose", "lstPacks"}));
        support::PressKey(window.get(), Qt::Key_Down);
        QCOMPARE(Packs(window.get())->selectedItems(), QList<QTreeWidgetItem*>{Packs(window.get())->topLevelItem(1)});

        UrlRecorder recorder;
        QDesktopServices::setUrlHandler("file", &recorder, "open");
        support::PressKey(window.get(), Qt::Key_Return);
        QDesktopServices::unsetUrlHandler("file");
        QVERIFY(recorder.opened.isEmpty());
        QVERIFY(window->isVisible());

        AnswerQuestion(QMessageBox::Yes);
        support::PressKey(window.get(), Qt::Key_Delete);
        QTRY_COMPARE(Column(Packs(window.get()), 0), QStringList{"faces.QZK"});
        QCOMPARE(driver->StoredPacks().size(), size_t(1));
    }

    // What holds the theme's name may be a file, a dangling link or a link to the
    // user's own folder: each is asked about, and only it is replaced.
    void aNameTakenByAFileOrALinkIsAskedAboutAndOnlyItIsReplaced() {
        const std::string pack = driver->AppFile("<b>linked<i>.CAB");
        support::MakeCabinetOf(pack, {{"content.xml", support::EmoticonManifest(support::EmoticonItem("a.gif", "A", ":a"))},
                                      {"a.gif", "GIF89a a"}});
        Install(pack);
        const std::string dotfiles = driver->folders.temp.Folder() + "dotfiles/";
        support::WriteFile(dotfiles + "mine/theme", "Name=mine\n");
        const std::string theme = Smileys() + "<b>linked<i>";
        const auto window = OpenWindow();
        Select(window.get(), 0);
        const std::vector<std::function<void()>> takers = {
            [&] { support::WriteFile(theme, "a file of the user's"); },
            [&] { fs::create_directory_symlink(dotfiles + "gone/", theme); },
            [&] { fs::create_directory_symlink(dotfiles + "mine/", theme); },
        };
        for (const auto& take : takers) {
            std::error_code error;
            fs::remove_all(theme, error);
            take();
            std::shared_ptr<support::SeenBox> report;
            AnswerQuestion(QMessageBox::Yes, &report);
            Button(window.get(), "btnExportPidgin")->click();
            QVERIFY(report && report->seen);
            QCOMPARE(report->format, Qt::PlainText);
            QVERIFY2(report->text.startsWith("Exported 1 Pidgin smiley theme"), qPrintable(report->text));
            QVERIFY(!fs::is_symlink(theme));
            QCOMPARE(support::ReadPidginTheme(theme + "/").smileys.size(), size_t(1));
            QCOMPARE(support::ReadFile(dotfiles + "mine/theme"), std::string("Name=mine\n"));
            QCOMPARE(Entries(Smileys()), QStringList{"<b>linked<i>"});
        }
    }
};

int main(int argc, char** argv) {
    // Mounts of this process's own, for folders whose files cannot be deleted.
    support::UsePrivateMounts();
    PrepareFlashPlayer();
    QApplication application(argc, argv);
    support::UnansweredModalWatch watch;
    FrmInstalledContentTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FrmInstalledContentTest.moc"
