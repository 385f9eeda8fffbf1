// Saving what the preview shows: a wink as an animated GIF through the File
// menu; an opened pack's pictures into a folder under their items' names, with
// an emoticon pack's shortcuts listed, asking before anything is replaced.
#include "FlashView.h"
#include "FrmMainU.h"
#include "MainWindowUnderTest.h"
#include "ModalAnswer.h"
#include "PackFixtures.h"
#include "PackPictures.h"
#include "PreviewArea.h"
#include "TempFolder.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QImage>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>
#include <filesystem>
#include <random>

using namespace quillane;
namespace fs = std::filesystem;

class SaveFromPreviewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::WindowTestFolders> folders;
    std::unique_ptr<TFrmMain> window;
    // The question Save Pictures last asked about names already taken, and the icon of its closing message.
    QString asked;
    QMessageBox::Icon toldIcon = QMessageBox::NoIcon;

    // Runs the action and waits for the message box that ends it; its text.
    static QString MessageAfter(QAction* action) {
        testing::MessageBoxRecorder told;
        action->trigger();
        QDeadlineTimer deadline(30000);
        while (told.Texts().isEmpty() && !deadline.hasExpired()) QTest::qWait(20);
        return told.Texts().value(0);
    }

    // Anything but one colour.
    static bool ShowsAPicture(QWidget* view) {
        const QImage image = view->grab().toImage();
        for (int y = 0; y < image.height(); y += 4) {
            for (int x = 0; x < image.width(); x += 4) {
                if (image.pixel(x, y) != image.pixel(0, 0)) return true;
            }
        }
        return false;
    }

    bool Open(const std::string& pack) {
        QSignalSpy shown(window.get(), &TFrmMain::PackFileShown);
        window->OpenPackFile(testing::AppFolder() + "msnpack/" + pack);
        return !shown.isEmpty() || shown.wait(10000);
    }

    // Runs Save Pictures into the folder, answering its question about files
    // already there with the button; what the closing message said.
    QString SaveInto(const std::string& folder, QMessageBox::StandardButton toQuestion = QMessageBox::Cancel) {
        QString told;
        QTimer watch;
        connect(&watch, &QTimer::timeout, &watch, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            if (box->text().contains("already holds")) {
                asked = box->text();
                return box->button(toQuestion)->click();
            }
            told = box->text();
            toldIcon = box->icon();
            box->accept();
        });
        testing::AnswerFileDialog(fs::path(folder).parent_path().string());
        window->actSavePictures->trigger();
        watch.start(10);
        QDeadlineTimer deadline(20000);
        while (told.isEmpty() && !deadline.hasExpired()) QTest::qWait(20);
        return told;
    }

private slots:
    void init() {
        folders = std::make_unique<testing::WindowTestFolders>();
        window = testing::ShowMainWindowOverBundledCatalogue(*folders);
        QVERIFY(window);
    }

    void cleanup() { testing::CloseMainWindow(window, folders); }

    void theNewItemsFollowPreviewPackFile() {
        const QList<QAction*> items = window->menuBar()->actions().constFirst()->menu()->actions();
        const qsizetype preview = items.indexOf(window->actPreviewFile);
        QVERIFY(preview >= 0);
        QCOMPARE(items.value(preview + 1), window->actSaveGif);
        QCOMPARE(items.value(preview + 2), window->actSavePictures);
    }

    // A right click on the playing movie, then Shift+F10 and the Menu key in
    // it, each open the preview's menu with both saves.
    void theMoviesMenuOffersBothSavesFromTheMouseAndTheKeyboard() {
        QVERIFY(Open("heart.QZK"));
        QTRY_VERIFY_WITH_TIMEOUT(window->flsPreview->MovieShown(), 10000);
        auto* stage = window->flsPreview->findChild<QWidget*>("flsPreviewStage");
        QVERIFY(stage);
        // The player is on the page once the movie is drawn.
        QTRY_VERIFY_WITH_TIMEOUT(stage->focusProxy() && ShowsAPicture(stage), 10000);
        QWidget* page = stage->focusProxy();
        const std::pair<const char*, std::function<void()>> asks[] = {
            {"right click", [page] { QTest::mouseClick(page, Qt::RightButton, {}, page->rect().center()); }},
            {"Shift+F10", [page] { QTest::keyClick(page, Qt::Key_F10, Qt::ShiftModifier); }},
            {"Menu key", [page] { QTest::keyClick(page, Qt::Key_Menu); }},
        };
        for (const auto& [way, ask] : asks) {
            QList<QAction*> offered;
            QTimer watch;
            connect(&watch, &QTimer::timeout, &watch, [&offered] {
                if (QWidget* menu = QApplication::activePopupWidget()) {
                    offered = menu->actions();
                    menu->close();
                }
            });
            watch.start(10);
            ask();
            QTRY_VERIFY2_WITH_TIMEOUT(!offered.isEmpty(), way, 10000);
            QVERIFY(offered.contains(window->actSaveGif));
            QVERIFY(offered.contains(window->actSavePictures));
        }
    }

    void aPreviewedWinkIsSavedAsAnAnimatedGif() {
        QVERIFY(MessageAfter(window->actSaveGif).contains("Preview a wink"));

        QVERIFY(Open("heart.QZK"));
        QTRY_VERIFY_WITH_TIMEOUT(window->flsPreview->MovieShown(), 10000);
        testing::TempFolder target;
        // The size dialog as it comes (the stage's size), then the file's name.
        testing::AnswerNextModal([target = target.File("heart.gif")](QWidget* modal) {
            QCOMPARE(modal->objectName(), QString("dlgGifSize"));
            testing::AnswerFileDialog(target);
            QMetaObject::invokeMethod(modal, "accept");
        });
        QTimer::singleShot(500, window.get(), [this] { QVERIFY(window->findChild<QProgressDialog*>("prgSaveGif")); });
        const QString told = MessageAfter(window->actSaveGif);
        QVERIFY2(told.contains("Saved \"heart.gif\": 36 frames of 320 x 240 pixels."), qPrintable(told));
        QVERIFY(testing::ReadFile(target.File("heart.gif")).rfind("GIF89a", 0) == 0);
    }

    void aDanglingLinkOfTheGifsNameIsAskedAbout() {
        QVERIFY(Open("heart.QZK"));
        QTRY_VERIFY_WITH_TIMEOUT(window->flsPreview->MovieShown(), 10000);
        testing::TempFolder target;
        fs::create_symlink(target.File("elsewhere.gif"), target.File("heart.gif"));
        testing::AnswerNextModal([path = target.File("heart.gif")](QWidget* modal) {
            testing::AnswerFileDialog(path);
            QMetaObject::invokeMethod(modal, "accept");
        });
        // Not answered Yes: nothing is saved, the link stays, nothing appears where it points.
        const QString told = MessageAfter(window->actSaveGif);
        QVERIFY2(told.contains("heart.gif already exists"), qPrintable(told));
        QVERIFY(fs::is_symlink(target.File("heart.gif")));
        QVERIFY(!fs::exists(target.File("elsewhere.gif")));
    }

    void anEmoticonPacksPicturesAndShortcutsAreSavedAndNothingIsReplacedUnasked() {
        QVERIFY(MessageAfter(window->actSavePictures).contains("needs the pack"));
        QVERIFY(Open("faces.QZK"));
        testing::TempFolder target;
        const std::string folder = target.Folder();

        QVERIFY(SaveInto(folder).contains("Saved 4 pictures"));
        for (const char* name : {"Smile.gif", "Grin.gif", "Wink.gif", "Wow.gif"}) QVERIFY2(fs::is_regular_file(folder + name), name);
        const std::string list = testing::ReadFile(folder + kShortcutList);
        QVERIFY(list.find("Smile\t:)\tSmile.gif") != std::string::npos);
        QVERIFY(list.find("Wow\t:O\tWow.gif") != std::string::npos);

        testing::WriteFile(folder + "Smile.gif", "mine");
        QVERIFY(SaveInto(folder, QMessageBox::No).contains("Saved 4 pictures"));
        QCOMPARE(testing::ReadFile(folder + "Smile.gif"), std::string("mine"));
        QVERIFY(fs::is_regular_file(folder + "Smile (2).gif"));
        QVERIFY(SaveInto(folder, QMessageBox::Yes).contains("Saved 4 pictures"));
        QVERIFY(testing::ReadFile(folder + "Smile.gif").rfind("GIF8", 0) == 0);
    }

    void aWinkADisplayPictureAndAnEmoticonPackFromTheTreeAreSavedToo() {
        // A wink gives the still picture its inner cabinet holds.
        QVERIFY(Open("heart.QZK"));
        testing::TempFolder wink;
        QCOMPARE(SaveInto(wink.Folder()), QString("Saved 1 picture into \"%1\".").arg(QString::fromStdString(wink.Folder())));
        QCOMPARE(QImage(QString::fromStdString(wink.Folder() + "Bouncing Heart.gif")).size(), QSize(64, 64));

        QVERIFY(Open("robot.QZC"));
        testing::TempFolder display;
        QCOMPARE(SaveInto(display.Folder()), QString("Saved 1 picture into \"%1\".").arg(QString::fromStdString(display.Folder())));
        QVERIFY(fs::is_regular_file(display.Folder() + "Blue Robot.gif"));
        QVERIFY(!fs::exists(display.Folder() + kShortcutList));

        // Happy Faces, second of the Emoticons, whose pack has been downloaded.
        fs::create_directories(folders->AppFile("msnpack"));
        fs::copy_file(testing::AppFolder() + "msnpack/faces.QZK", folders->AppFile("msnpack/faces.QZK"));
        QTreeView* tree = window->treWinksList;
        tree->setCurrentIndex(tree->model()->index(1, 0, tree->model()->index(2, 0)));
        window->treWinksListClick();
        testing::TempFolder emoticons;
        QVERIFY(SaveInto(emoticons.Folder()).contains("Saved 4 pictures"));
        QVERIFY(fs::is_regular_file(emoticons.Folder() + kShortcutList));
    }

    void linksInTheFolderAreAskedAboutAndReplacedThemselves() {
        QVERIFY(Open("faces.QZK"));
        testing::TempFolder outside, target;
        const std::string folder = target.Folder();
        testing::WriteFile(outside.File("private.gif"), "keep");
        fs::create_symlink(outside.File("private.gif"), folder + "Smile.gif");
        fs::create_symlink(outside.File("none.gif"), folder + "Grin.gif");
        QVERIFY(SaveInto(folder, QMessageBox::Yes).contains("Saved 4 pictures"));
        QVERIFY2(asked.contains("Smile.gif") && asked.contains("Grin.gif"), qPrintable(asked));
        for (const char* name : {"Smile.gif", "Grin.gif"}) {
            QVERIFY2(!fs::is_symlink(folder + name), name);
            QVERIFY2(testing::ReadFile(folder + name).rfind("GIF8", 0) == 0, name);
        }
        QCOMPARE(testing::ReadFile(outside.File("private.gif")), std::string("keep"));
        QVERIFY(!fs::exists(outside.File("none.gif")));
    }

    void aPackDamagedPartWayNamesWhatCouldNotBeUnpacked() {
        // The manifest and a small picture first, then a large one too random to shrink; the cut falls in it.
        std::mt19937 random(7);
        const auto noise = [&random](std::size_t size) {
            std::string bytes(size, '\0');
            for (char& byte : bytes) byte = static_cast<char>(random());
            return bytes;
        };
        testing::TempFolder work;
        const std::string cabinet = work.File("damaged.cab");
        testing::MakeCabinetOf(cabinet, {{"content.xml", testing::EmoticonManifest(testing::EmoticonItem("smile.gif", "Smile", ":)") +
                                                                                   testing::EmoticonItem("grin.gif", "Grin", ":D"))},
                                         {"smile.gif", "GIF89a" + noise(8 * 1024)},
                                         {"grin.gif", "GIF89a" + noise(96 * 1024)}});
        const std::string whole = testing::ReadFile(cabinet);
        testing::WriteFile(cabinet, whole.substr(0, whole.size() * 3 / 4));
        QSignalSpy shown(window.get(), &TFrmMain::PackFileShown);
        window->OpenPackFile(cabinet);
        QVERIFY(!shown.isEmpty() || shown.wait(10000));
        testing::TempFolder target;
        const QString told = SaveInto(target.Folder());
        QVERIFY2(told.contains("Saved 1 picture") && told.contains("could not be unpacked:\nGrin"), qPrintable(told));
        QCOMPARE(toldIcon, QMessageBox::Warning);
        QVERIFY(fs::is_regular_file(target.Folder() + "Smile.gif"));
    }

    void namesAreMadeSafeForTheFileSystem() {
        QCOMPARE(SafeFileName("a/b\\c:d*e?"), QString("a_b_c_d_e_"));
        QCOMPARE(SafeFileName("..hidden"), QString("hidden"));
        QCOMPARE(SafeFileName("  "), QString("picture"));
        // At most 200 bytes of UTF-8 with the extension, cut between whole characters.
        const QString cjk = SafeFileName(QString(100, QChar(0x5B57)), "png");
        QCOMPARE(cjk, QString(65, QChar(0x5B57)) + ".png");
        const QString emoji = SafeFileName(QString(192, 'a') + QString::fromUtf8("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD") + "b", "gif");
        QCOMPARE(emoji, QString(192, 'a') + ".gif");
    }
};

QUILLANE_WINDOW_TEST_MAIN(SaveFromPreviewTest)

#include "SaveFromPreviewTest.moc"
