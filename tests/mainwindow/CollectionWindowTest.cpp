// A folder of packs in the main window: opened from the menu, dropped or
// given; its packs filtered, previewed and installed from the keyboard; and
// what changes in the folder while it is shown.
#include "CollectionModel.h"
#include "CollectionView.h"
#include "ContentStore.h"
#include "FrmMainU.h"
#include "KeyboardUse.h"
#include "MainWindowUnderTest.h"
#include "ModalAnswer.h"
#include "ProfileFile.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <filesystem>

using namespace quillane;
namespace fs = std::filesystem;

class CollectionWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::WindowTestFolders> folders;
    std::unique_ptr<TFrmMain> window;
    std::string collection;

    static std::string SamplePack(const std::string& name) { return testing::AppFolder() + "msnpack/" + name; }

    QStringList Column(QTreeView* list, int column) const {
        QStringList cells;
        for (int row = 0; row < list->model()->rowCount(); ++row) cells << list->model()->index(row, column).data().toString();
        return cells;
    }

    bool ScanEnds(const std::function<void()>& start) {
        QSignalSpy ended(&window->Collection(), &TCollectionView::ScanEnded);
        start();
        return ended.wait(10000);
    }

private slots:
    void init() {
        folders = std::make_unique<testing::WindowTestFolders>();
        window = testing::ShowMainWindowOverBundledCatalogue(*folders);
        QVERIFY(window);
        collection = folders->temp.Folder() + "collection";
        fs::create_directories(collection + "/winks");
        fs::create_directories(collection + "/old");
        fs::copy_file(SamplePack("faces.QZK"), collection + "/faces.QZK");
        fs::copy_file(SamplePack("faces.QZK"), collection + "/old/faces copy.QZK");
        fs::copy_file(SamplePack("robot.QZC"), collection + "/robot.QZC");
        fs::copy_file(SamplePack("heart.QZK"), collection + "/winks/heart.QZK");
        testing::WriteFile(collection + "/old/broken.QZK", "no cabinet");
    }

    void cleanup() { testing::CloseMainWindow(window, folders); }

    void aFolderChosenFromTheMenuShowsItsPacksAndApartWhatIsNoPack() {
        QCOMPARE(window->actOpenFolder->shortcut(), QKeySequence("Ctrl+Shift+O"));
        testing::AnswerNextModal([this](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            dialog->setDirectory(QString::fromStdString(folders->temp.Folder()));
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("collection");
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QVERIFY(ScanEnds([this] { window->actOpenFolder->trigger(); }));
        QVERIFY(window->CollectionShown());
        QVERIFY(!window->treWinksList->isVisible());

        QTreeView* packs = window->Collection().lstCollection;
        packs->sortByColumn(TCollectionModel::Path, Qt::AscendingOrder);
        QCOMPARE(Column(packs, TCollectionModel::Path), QStringList({"faces.QZK", "robot.QZC", "winks/heart.QZK"}));
        QCOMPARE(Column(packs, TCollectionModel::Title), QStringList({"faces.QZK", "Blue Robot", "Bouncing Heart"}));
        QCOMPARE(Column(packs, TCollectionModel::Kind), QStringList({"emoticons", "display pictures", "wink"}));
        QCOMPARE(Column(packs, TCollectionModel::Copies), QStringList({"2 copies", "", ""}));
        QVERIFY(!packs->model()->index(1, TCollectionModel::Title).data(Qt::DecorationRole).value<QImage>().isNull());
        QTreeView* problems = window->Collection().lstProblems;
        QCOMPARE(Column(problems, TCollectionModel::Path), QStringList({"old/broken.QZK"}));
        QCOMPARE(Column(problems, TCollectionModel::Problem), QStringList({"not a cabinet"}));
        QVERIFY(problems->isVisible());
        QCOMPARE(window->StatusText(), QString::fromStdString(collection + ": 3 packs"));
        // The next Open Folder starts where this one was accepted.
        const std::string kept = ProfileFile(Global().ConfigFile).ReadString("Folders", "OpenFolder", "");
        QVERIFY2(kept == collection || kept + "/" == folders->temp.Folder(), kept.c_str());

        QCOMPARE(window->windowTitle(), QString::fromStdString("Quillane - " + collection));
        window->Collection().btnCloseCollection->click();
        QCOMPARE(window->windowTitle(), QString("Quillane"));
        QVERIFY(!window->CollectionShown());
        QVERIFY(window->treWinksList->isVisible());
    }

    void tabGoesFromTheFilterIntoTheCollection() {
        QVERIFY(ScanEnds([this] { window->OpenCollection(collection); }));
        window->edtFilter->setFocus();
        QCOMPARE(testing::TabPath(window.get(), 3), QStringList({"btnCloseCollection", "lstCollection", "lstProblems"}));
    }

    void theFilterFindsAPackWhoseRowTheKeysPreviewAndEnterInstalls() {
        qputenv("HOME", QByteArray::fromStdString(folders->temp.Folder() + "home"));
        QVERIFY(ScanEnds([this] { window->OpenCollection(collection); }));
        QTreeView* packs = window->Collection().lstCollection;
        QVERIFY(packs->hasFocus());
        window->edtFilter->setFocus();
        QTest::keyClicks(window->edtFilter, "ROBOT");
        QCOMPARE(Column(packs, TCollectionModel::Title), QStringList({"Blue Robot"}));
        QCOMPARE(window->Collection().lstProblems->model()->rowCount(), 1);
        // A shortcut of an emoticon finds its pack.
        window->edtFilter->setText(":D");
        QCOMPARE(Column(packs, TCollectionModel::Title), QStringList({"faces.QZK"}));
        window->edtFilter->setText("robot");

        QSignalSpy shown(window.get(), &TFrmMain::PackFileShown);
        QTest::keyClick(window->edtFilter, Qt::Key_Down);
        QVERIFY(packs->hasFocus());
        QVERIFY(shown.wait(5000));
        QCOMPARE(window->OpenedPackFile, collection + "/robot.QZC");
        QVERIFY(window->gifPrevew->isVisible());
        QVERIFY(window->actInstall->isEnabled());

        // The preview's Save Pictures acts on the pack highlighted.
        const std::string saved = folders->temp.Folder() + "saved/";
        fs::create_directory(saved);
        QString told;
        QTimer answer;
        connect(&answer, &QTimer::timeout, &answer, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                told = box->text();
                box->accept();
            }
        });
        testing::AnswerFileDialog(fs::path(saved).parent_path().string());
        answer.start(10);
        window->actSavePictures->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 20000);
        QCOMPARE(told, QString::fromStdString("Saved 1 picture into \"" + saved + "\"."));
        QVERIFY(fs::is_regular_file(saved + "Blue Robot.gif"));
        answer.stop();
        // The dialogs gone, the window is the active one again, the list keeping the keyboard.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        packs->setFocus();


        // Escape gives every pack back, and the highlighted one stays highlighted.
        QTest::keyClick(packs, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(window->edtFilter->hasFocus());
        QTest::keyClick(window->edtFilter, Qt::Key_Escape);
        QCOMPARE(packs->model()->rowCount(), 3);
        QTest::keyClick(window->edtFilter, Qt::Key_Down);
        QCOMPARE(packs->currentIndex().data().toString(), QString("Blue Robot"));

        QTest::keyClick(packs, Qt::Key_Return);
        QCOMPARE(window->StatusText(), QString("installed successfully"));
        const auto stored = TContentStore(folders->temp.Folder() + "data/Quillane/Messenger/").Packs();
        QCOMPARE(stored.size(), size_t(1));
        QCOMPARE(stored[0].items[0].name, std::string("Blue Robot"));
    }

    void aDroppedFolderOpensAndAFileRemovedWhileItIsShownGoes() {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(collection))});
        const QPoint place = window->rect().center();
        QDragEnterEvent enter(place, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(ScanEnds([&] {
            QDropEvent drop(place, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(window.get(), &drop);
        }));
        QTreeView* packs = window->Collection().lstCollection;
        QCOMPARE(packs->model()->rowCount(), 3);

        QVERIFY(ScanEnds([&] { fs::remove(collection + "/robot.QZC"); }));
        QCOMPARE(packs->model()->rowCount(), 2);
        QVERIFY(ScanEnds([&] { fs::remove(collection + "/faces.QZK"); }));
        packs->sortByColumn(TCollectionModel::Path, Qt::AscendingOrder);
        QCOMPARE(Column(packs, TCollectionModel::Path), QStringList({"old/faces copy.QZK", "winks/heart.QZK"}));
        QCOMPARE(Column(packs, TCollectionModel::Copies), QStringList({"", ""}));
    }

    // Cancel ends the reading with what was found so far, and nothing reads the folder again by itself.
    void cancelEndsTheReading() {
        for (int i = 0; i < 3000; ++i) testing::WriteFile(collection + "/many/" + std::to_string(i) + ".QZK", "no cabinet");
        QVERIFY(ScanEnds([this] {
            window->OpenCollection(collection);
            QVERIFY(window->Collection().prgScan->isVisible());
            window->Collection().btnCancelScan->click();
        }));
        QVERIFY(!window->Collection().prgScan->isVisible());
        QVERIFY(window->Collection().lstProblems->model()->rowCount() < 3001);
        QVERIFY2(window->Collection().lblCollection->text().endsWith("(reading cancelled)"),
                 qPrintable(window->Collection().lblCollection->text()));
        QSignalSpy again(&window->Collection(), &TCollectionView::ScanEnded);
        fs::remove(collection + "/robot.QZC");
        QVERIFY(!again.wait(1500));
    }
};

QUILLANE_WINDOW_TEST_MAIN(CollectionWindowTest)
#include "CollectionWindowTest.moc"
