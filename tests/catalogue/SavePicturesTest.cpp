// Save Pictures writes an opened pack's pictures into a folder under their
// items' names, lists an emoticon pack's shortcuts, and asks before replacing.
#include "FrmMainU.h"
#include "ModalAnswer.h"
#include "PackPictures.h"
#include "PreviewArea.h"
#include "TempFolder.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <filesystem>

using namespace quillane;
namespace fs = std::filesystem;

class SavePicturesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::WindowTestFolders> folders;
    std::unique_ptr<TFrmMain> window;

    // Runs Save Pictures into the folder, answering its question about files
    // already there with the button; what the closing message said.
    QString SaveInto(const std::string& folder, QMessageBox::StandardButton toQuestion = QMessageBox::Cancel) {
        QString told;
        QTimer watch;
        connect(&watch, &QTimer::timeout, &watch, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            if (box->text().contains("already holds")) return box->button(toQuestion)->click();
            told = box->text();
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
        fs::copy_file(testing::AppFolder() + "content.dat", folders->AppFile("content.dat"));
        InstallGlobal(std::make_unique<TGlobal>(folders->app.Folder()));
        window = std::make_unique<TFrmMain>();
        window->show();
    }

    void cleanup() {
        window.reset();
        folders.reset();
    }

    void theNewItemsFollowPreviewPackFile() {
        const QList<QAction*> items = window->menuBar()->actions().constFirst()->menu()->actions();
        const qsizetype preview = items.indexOf(window->actPreviewFile);
        QVERIFY(preview >= 0);
        QCOMPARE(items.value(preview + 1), window->actSaveGif);
        QCOMPARE(items.value(preview + 2), window->actSavePictures);
        QVERIFY(window->pnlPreview->actions().contains(window->actSaveGif));
    }

    void anEmoticonPacksPicturesAndShortcutsAreSavedAndNothingIsReplacedUnasked() {
        QSignalSpy shown(window.get(), &TFrmMain::PackFileShown);
        window->OpenPackFile(testing::AppFolder() + "msnpack/faces.QZK");
        QVERIFY(shown.wait(10000));
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

    void namesAreMadeSafeForTheFileSystem() {
        QCOMPARE(SafeFileName("a/b\\c:d*e?"), QString("a_b_c_d_e_"));
        QCOMPARE(SafeFileName("..hidden"), QString("hidden"));
        QCOMPARE(SafeFileName("  "), QString("picture"));
    }
};

QUILLANE_WINDOW_TEST_MAIN(SavePicturesTest)

#include "SavePicturesTest.moc"
