// Previewing packs from the main window, on real packs.
#include "CatalogueTreeModel.h"
#include "FlashView.h"
#include "FrmMainU.h"
#include "MainWindowUnderTest.h"
#include "ModalAnswer.h"
#include "PackFixtures.h"
#include "EmoticonGrid.h"
#include "PreviewArea.h"
#include "StillStage.h"
#include "TempFolder.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QLabel>
#include <QImageReader>
#include <QMovie>
#include <QSignalSpy>
#include <QTextDocumentFragment>
#include <QTreeView>
#include <filesystem>
#include <sys/stat.h>

using namespace quillane;
namespace fs = std::filesystem;

class PreviewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::WindowTestFolders> folders;
    std::unique_ptr<TFrmMain> window;

    std::string AppFile(const std::string& name) const { return folders->AppFile(name); }
    std::string Extracted(const std::string& name) const { return folders->Extracted(name); }

    // Clicks a pack (or a category when pack is -1) as the user does.
    void Click(int category, int pack) {
        QAbstractItemModel* model = window->treWinksList->model();
        const QModelIndex parent = model->index(category, 0);
        window->treWinksList->expand(parent);
        const QModelIndex target = pack < 0 ? parent : model->index(pack, 0, parent);
        QVERIFY(target.isValid());
        window->treWinksList->scrollTo(target);
        const QRect place = window->treWinksList->visualRect(target);
        QTest::mouseClick(window->treWinksList->viewport(), Qt::LeftButton, {}, place.center());
        QCOMPARE(window->treWinksList->currentIndex(), target);
    }

private slots:
    void init() {
        folders = std::make_unique<testing::WindowTestFolders>();
        fs::copy_file(testing::AppFolder() + "msnpack/heart.QZK", AppFile("msnpack/heart.QZK"));
        fs::copy_file(testing::AppFolder() + "msnpack/robot.QZC", AppFile("msnpack/robot.QZC"));
        testing::WriteFile(AppFile("Preview/star.swf"), testing::ReadFile(testing::AppFolder() + "Preview/star.swf"));
        testing::WriteFile(AppFile("Preview/party.gif"), testing::ReadFile(testing::AppFolder() + "Preview/party.gif"));
        testing::WriteFile(AppFile("Config.ini"), "[Config]\r\nDownloadBase=http://127.0.0.1:9/site/\r\n");
        testing::WriteFile(AppFile("content.dat"),
                           "<ContentList>"
                           "<Winks>"
                           "<Item ContentTitle=\"Heart\" DownloadUrl=\"packs/winks/heart.QZK\" PrePath=\"heart.swf\"/>"
                           "<Item ContentTitle=\"Star\" DownloadUrl=\"packs/winks/star.QZK\" PrePath=\"star.swf\"/>"
                           "<Item ContentTitle=\"Nothing\" DownloadUrl=\"packs/none.QZK\" PrePath=\"none.swf\"/>"
                           "</Winks>"
                           "<DisplayPictures>"
                           "<Item ContentTitle=\"Robot\" DownloadUrl=\"packs/robot.QZC\" PrePath=\"robot.swf\"/>"
                           "</DisplayPictures>"
                           "<Emoticons>"
                           "<Item ContentTitle=\"Faces\" DownloadUrl=\"x\" PrePath=\"MYFACE\" EmoticonsCount=\"16\"/>"
                           "<Item ContentTitle=\"Party\" DownloadUrl=\"x\" PrePath=\"party.gif\" EmoticonsCount=\"6\"/>"
                           "<Item ContentTitle=\"Gone\" DownloadUrl=\"x\" PrePath=\"gone.gif\" EmoticonsCount=\"3\"/>"
                           "<Item ContentTitle=\"Lower\" DownloadUrl=\"x\" PrePath=\"myface\" EmoticonsCount=\"4\"/>"
                           "</Emoticons>"
                           "<funnywinks><Item ContentTitle=\"Lower case\" DownloadUrl=\"x\" PrePath=\"star.swf\"/></funnywinks>"
                           "<WinksAndEmoticons><Item ContentTitle=\"Both\" DownloadUrl=\"x\" PrePath=\"star.swf\"/></WinksAndEmoticons>"
                           "</ContentList>");
        window = testing::ShowMainWindow(*folders);
        QVERIFY(window);
    }

    void cleanup() { testing::CloseMainWindow(window, folders); }

    void clickingACategoryOrAPackSwitchesInstall() {
        Click(1, -1);
        QVERIFY(!window->actInstall->isEnabled());
        Click(0, 1);
        QVERIFY(window->actInstall->isEnabled());
        Click(0, -1);
        QVERIFY(!window->actInstall->isEnabled());
        QTRY_COMPARE(window->flsPreview->Movie(), QString::fromStdString(AppFile("Preview/star.swf")));
    }

    void aWinkIsPreviewedFromItsPackInMemory() {
        Click(0, 0);
        QTRY_COMPARE(window->flsPreview->Movie(), QString("heart.swf"));
        QVERIFY(window->flsPreview->Playing());
        QVERIFY(window->flsPreview->MovieShown());
        QVERIFY(window->flsPreview->MovieBytes().startsWith("FWS"));
        // Read where it lies: nothing is unpacked or restored on the disk.
        QVERIFY(!fs::exists(Extracted("")));
        QVERIFY(!fs::exists(AppFile("msnpack/temp.cab")));
        QCOMPARE(window->StatusText(), QString("Playing Heart."));
        QCOMPARE(window->CurrentItem.attribute("ContentTitle").value(), std::string("Heart"));
    }

    // The still picture of the wink's cabinet is on the stage at once; the
    // movie takes its place once its first frame is drawn, and never an empty stage between.
    void theStillShowsUntilTheMoviesFirstFrame() {
        QSignalSpy firstFrame(window->flsPreview, &TFlashView::FirstFrameShown);
        Click(0, 0);
        QTRY_COMPARE(window->flsPreview->Movie(), QString("heart.swf"));
        auto* still = window->flsPreview->findChild<TStillStage*>("flsPreviewStill");
        QVERIFY(still && still->isVisible());
        QVERIFY(window->flsPreview->StillShown());
        QVERIFY(!still->Picture().isNull());
        QVERIFY(firstFrame.isEmpty());
        QVERIFY(firstFrame.wait(30000));
        QVERIFY(!window->flsPreview->StillShown());
        QVERIFY(still->isHidden());
    }

    // Keys that come faster than packs are read: each preview supersedes the
    // one before, and the run ends on the last pack's preview, whatever the
    // order the reading ends in.
    void aFastRunOfKeysEndsOnTheLastPacksPreview() {
        fs::copy_file(testing::AppFolder() + "msnpack/rainbow.QZK", AppFile("msnpack/star.QZK"));
        Click(0, 2);
        // Each key's preview is asked for before the one before it has been read.
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Up, Qt::Key_Down, Qt::Key_Up}) {
            QTest::keyClick(window->treWinksList, key);
            QCoreApplication::processEvents();
        }
        QCOMPARE(window->treWinksList->currentIndex().data().toString(), QString("Heart"));
        QTRY_COMPARE(window->flsPreview->Movie(), QString("heart.swf"));
        QTest::qWait(300);
        QCOMPARE(window->flsPreview->Movie(), QString("heart.swf"));
        QCOMPARE(window->StatusText(), QString("Playing Heart."));
        // Back to a pack read before: shown from memory by the key itself, so that
        // the highlight and the pack are painted together.
        QTest::keyClick(window->treWinksList, Qt::Key_Down);
        QTRY_COMPARE(window->flsPreview->Movie(), QString("rainbow.swf"));
        QTest::keyClick(window->treWinksList, Qt::Key_Up);
        QCOMPARE(window->flsPreview->Movie(), QString("heart.swf"));
        QVERIFY(window->flsPreview->StillShown());
    }

    // Packs are read one at a time: one that is no pack, a pipe that would never answer, is
    // refused at once and never holds up the pack asked for next.
    void aPipeInAPacksPlaceNeverHoldsUpTheNextPack() {
        QCOMPARE(::mkfifo(AppFile("pipe.QZK").c_str(), 0600), 0);
        window->OpenPackFile(AppFile("pipe.QZK"));
        Click(0, 0);
        QTRY_COMPARE(window->flsPreview->Movie(), QString("heart.swf"));
        window->OpenPackFile(AppFile("pipe.QZK"));
        QTRY_COMPARE(window->StatusText(), QString("\"pipe.QZK\" is not a Messenger pack, or it is damaged."));
    }

    void aWinkWithoutAPackFallsBackToItsPreviewAndThenToNothing() {
        Click(0, 1);
        QTRY_COMPARE(window->flsPreview->Movie(), QString::fromStdString(AppFile("Preview/star.swf")));
        Click(0, 2);
        QCOMPARE(window->flsPreview->Movie(), QString("c:\\1.swf"));
        QVERIFY(window->flsPreview->Playing());
        QVERIFY(!window->flsPreview->MovieShown());
        QCOMPARE(window->StatusText(), QString("No preview of Nothing is at hand."));
    }

    void aDisplayPictureAlwaysPlaysItsPreviewFromTheSite() {
        Click(1, 0);
        QCOMPARE(window->flsPreview->Movie(), QString("http://127.0.0.1:9/site/preview/robot.swf"));
        QVERIFY(!fs::exists(AppFile("msnpack/temp.cab")));
    }

    void theCategoryNameDecidesThePreview() {
        Click(3, 0);
        QCOMPARE(window->StatusText(), QString("Packs in this category have no preview."));
        QCOMPARE(window->flsPreview->Movie(), QString());
        Click(4, 0);
        QVERIFY(window->FlashShown);
        QTRY_COMPARE(window->flsPreview->Movie(), QString::fromStdString(AppFile("Preview/star.swf")));
    }

    void emoticonPacksAnimateTheirPicture() {
        Click(2, 0);
        QVERIFY(!window->FlashShown);
        QTRY_VERIFY(window->flsPreview->isHidden());
        QVERIFY(!window->gifPrevew->isHidden() && !window->shpImage->isHidden());
        QCOMPARE(window->StatusText(), QString("16 emoticons in pack."));
        QMovie* builtIn = window->gifPrevew->movie();
        QVERIFY(builtIn && builtIn->isValid());
        QCOMPARE(builtIn->fileName(), QString(":/gif/MYFACE"));
        QCOMPARE(builtIn->state(), QMovie::Running);
        QVERIFY(builtIn->frameCount() > 1);
        QCOMPARE(window->gifPrevew->size(), builtIn->currentImage().size());
        QCOMPARE(window->gifPrevew->pos(), QPoint(32, 24));

        Click(2, 1);
        QCOMPARE(window->StatusText(), QString("6 emoticons in pack."));
        // A picture from outside is read from its bytes: the same frames as the file's.
        QImageReader party(QString::fromStdString(AppFile("Preview/party.gif")));
        QCOMPARE(window->gifPrevew->movie()->frameCount(), party.imageCount());
        QCOMPARE(window->gifPrevew->movie()->currentImage().size(), party.size());

        Click(2, 3);
        QCOMPARE(window->StatusText(), QString("4 emoticons in pack.")) ;

        Click(2, 2);
        QCOMPARE(window->StatusText(), QString("No preview of Gone is at hand."));
        QCOMPARE(window->gifPrevew->movie()->fileName(), QString(":/gif/MYFACE"));
    }

    // Add puts every pack of a list into its first category: an emoticon pack
    // there is shown by what it holds, and the preview ends with a status.
    void anEmoticonPackAmongTheWinksShowsItsEmoticons() {
        fs::copy_file(testing::AppFolder() + "msnpack/faces.QZK", AppFile("faces.QZK"));
        testing::WriteFile(AppFile("lists/mine.mpl"), "<ContentList><Winks><Item ContentTitle=\"Faces\" DownloadUrl=\"" +
                                                          AppFile("faces.QZK") + "\" PrePath=\"\"/></Winks></ContentList>");
        window->LoadPackList(AppFile("lists/mine.mpl"));
        Click(0, 0);
        QTRY_COMPARE(window->StatusText(), QString("4 emoticons in pack."));
        QVERIFY(window->pnlPreview->grdEmoticons->isVisible());
        QCOMPARE(window->pnlPreview->grdEmoticons->findChildren<QLabel*>().size(), 4);
        QVERIFY(window->actInstall->isEnabled());
    }

    // A name from a pack is shown as it is written, never read as markup.
    void anEmoticonsNameIsShownAsPlainText() {
        TEmoticonGrid grid;
        const QString name = "<img src=\"/etc/hostname\"><b>Bold</b> & co";
        const QByteArray party = QByteArray::fromStdString(testing::ReadFile(AppFile("Preview/party.gif")));
        QCOMPARE(grid.SetEmoticons({{party, name, ":<"}}), 1);
        const QString tip = grid.findChild<QLabel*>("emoticon0")->toolTip();
        QCOMPARE(QTextDocumentFragment::fromHtml(tip).toPlainText(), name + "  :<");
    }

    // A .QZC is a whole cabinet and a .QZK lacks its first byte; either is known by its bytes, whatever its name.
    void aPackIsKnownByItsFirstBytes() {
        const std::string qzk = testing::ReadFile(AppFile("msnpack/heart.QZK"));
        testing::WriteFile(AppFile("elsewhere/heart.QZC"), "M" + qzk);
        window->PreviewPackFile(AppFile("elsewhere/heart.QZC"));
        QTRY_COMPARE(window->flsPreview->Movie(), QString("heart.swf"));
    }

    // A wink whose cabinet holds no still picture plays its movie alone, on an empty stage until its first frame.
    void aWinkWithoutAStillPlaysItsMovieAlone() {
        const testing::TempFolder work;
        testing::MakeCabinetOf(work.File("star.cab"), {{"star.swf", testing::ReadFile(AppFile("Preview/star.swf"))}});
        testing::MakeCabinetOf(AppFile("star.CAB"), {{"content.xml", testing::WinkManifest("star.cab", "Star")},
                                                     {"star.cab", testing::ReadFile(work.File("star.cab"))}});
        QSignalSpy firstFrame(window->flsPreview, &TFlashView::FirstFrameShown);
        window->PreviewPackFile(AppFile("star.CAB"));
        QTRY_COMPARE(window->flsPreview->Movie(), QString("star.swf"));
        QVERIFY(window->flsPreview->findChild<TStillStage*>("flsPreviewStill")->Picture().isNull());
        QVERIFY(firstFrame.wait(30000));
    }

    void anOuterCabinetWithOnlyXmlSaysItHasNoPreview() {
        Click(0, 1);
        QTRY_COMPARE(window->flsPreview->Movie(), QString::fromStdString(AppFile("Preview/star.swf")));
        const std::string pack = testing::ReadFile(AppFile("msnpack/robot.QZC"));
        testing::WriteFile(AppFile("only-xml.QZC"), pack);
        // The display picture pack holds a picture besides its manifest; strip to the manifest alone.
        const std::string folder = folders->temp.Folder() + "strip/";
        fs::create_directories(folder);
        QCOMPARE(Global().RunAndWait("\"" + AppFile("cabarc") + "\" -o X \"" + AppFile("only-xml.QZC") + "\" content.xml " + folder,
                                     SW_HIDE),
                 0);
        QCOMPARE(std::system(("cd '" + folder + "' && gcab -c '" + AppFile("xml.cab") + "' content.xml").c_str()), 0);
        window->PreviewPackFile(AppFile("xml.cab"));
        // What it lists and does not hold is said too.
        QTRY_COMPARE(window->StatusText(), QString("No preview of xml.cab is at hand. The picture robot.gif cannot be read from the pack."));
        QCOMPARE(window->flsPreview->Movie(), QString::fromStdString(AppFile("Preview/star.swf")));
    }
};

QUILLANE_WINDOW_TEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
