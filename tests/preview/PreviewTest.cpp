// Previewing packs from the main window, on real packs and the real cabarc.
#include "CatalogueTreeModel.h"
#include "FlashView.h"
#include "FrmMainU.h"
#include "MainWindowUnderTest.h"
#include "ModalAnswer.h"
#include "PackFixtures.h"
#include "EmoticonGrid.h"
#include "PreviewArea.h"
#include "TempFolder.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QLabel>
#include <QImageReader>
#include <QMovie>
#include <QTextDocumentFragment>
#include <QTreeView>
#include <filesystem>

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
        QCOMPARE(window->flsPreview->Movie(), QString::fromStdString(AppFile("Preview/star.swf")));
    }

    void aWinkIsPreviewedFromItsPackThroughCabarc() {
        testing::WriteFile(Extracted("stale.swf"), "left from an earlier preview");
        Click(0, 0);
        QVERIFY(!fs::exists(Extracted("stale.swf")));
        // A link planted in the extraction folder's place is removed, never followed.
        const std::string victim = AppFile("victim/");
        testing::WriteFile(victim + "letter.txt", "precious");
        fs::remove_all(Extracted(""));
        fs::create_directory_symlink(victim, Extracted("").substr(0, Extracted("").size() - 1));
        Click(0, 0);
        QCOMPARE(testing::ReadFile(victim + "letter.txt"), std::string("precious"));
        QVERIFY(!fs::is_symlink(Extracted("").substr(0, Extracted("").size() - 1)));
        QCOMPARE(window->flsPreview->Movie(), QString::fromStdString(Extracted("heart.swf")));
        QVERIFY(window->flsPreview->Playing());
        QVERIFY(window->flsPreview->MovieShown());
        QVERIFY(testing::ReadFile(Extracted("heart.swf")).rfind("FWS", 0) == 0);
        QVERIFY(!fs::exists(Extracted("stale.swf")));
        // The still picture beside the movie in the wink's own cabinet is unpacked too, and never played.
        QVERIFY(testing::ReadFile(Extracted("heart.gif")).rfind("GIF89a", 0) == 0);
        QVERIFY(testing::ReadFile(AppFile("msnpack/temp.cab")).rfind("MSCF", 0) == 0);
        QCOMPARE(window->StatusText(), QString("Playing Heart."));
        QCOMPARE(window->CurrentItem.attribute("ContentTitle").value(), std::string("Heart"));
    }

    void aWinkWithoutAPackFallsBackToItsPreviewAndThenToNothing() {
        Click(0, 1);
        QCOMPARE(window->flsPreview->Movie(), QString::fromStdString(AppFile("Preview/star.swf")));
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
        QCOMPARE(window->flsPreview->Movie(), QString::fromStdString(AppFile("Preview/star.swf")));
    }

    void emoticonPacksAnimateTheirPicture() {
        Click(2, 0);
        QVERIFY(!window->FlashShown);
        QVERIFY(window->flsPreview->isHidden());
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
        QCOMPARE(window->StatusText(), QString("4 emoticons in pack."));
        QVERIFY(window->pnlPreview->grdEmoticons->isVisible());
        QCOMPARE(window->pnlPreview->grdEmoticons->findChildren<QLabel*>().size(), 4);
        QVERIFY(window->actInstall->isEnabled());
    }

    // A name from a pack is shown as it is written, never read as markup.
    void anEmoticonsNameIsShownAsPlainText() {
        TEmoticonGrid grid;
        const QString name = "<img src=\"/etc/hostname\"><b>Bold</b> & co";
        QCOMPARE(grid.SetEmoticons({{QString::fromStdString(AppFile("Preview/party.gif")), name, ":<"}}), 1);
        const QString tip = grid.findChild<QLabel*>("emoticon0")->toolTip();
        QCOMPARE(QTextDocumentFragment::fromHtml(tip).toPlainText(), name + "  :<");
    }

    void aQzcPackIsExtractedWhereItLies() {
        const std::string qzk = testing::ReadFile(AppFile("msnpack/heart.QZK"));
        testing::WriteFile(AppFile("elsewhere/heart.QZC"), "M" + qzk);
        window->PreviewPackFile(AppFile("elsewhere/heart.QZC"));
        QCOMPARE(window->flsPreview->Movie(), QString::fromStdString(Extracted("heart.swf")));
        QVERIFY(!fs::exists(AppFile("msnpack/temp.cab")));
    }

    // The pack's manifest goes before the wink's own cabinet is unpacked, so only that cabinet's files are left.
    void thePacksManifestIsDeletedBeforeTheWinksCabinetIsUnpacked() {
        const testing::TempFolder work;
        testing::MakeCabinetOf(work.File("star.cab"), {{"star.swf", testing::ReadFile(AppFile("Preview/star.swf"))}});
        testing::MakeCabinetOf(AppFile("star.CAB"), {{"content.xml", testing::WinkManifest("star.cab", "Star")},
                                                     {"star.cab", testing::ReadFile(work.File("star.cab"))}});
        window->PreviewPackFile(AppFile("star.CAB"));
        QCOMPARE(window->flsPreview->Movie(), QString::fromStdString(Extracted("star.swf")));
        QVERIFY(!fs::exists(Extracted("content.xml")));
    }

    void anOuterCabinetWithOnlyXmlSaysItHasNoPreview() {
        Click(0, 1);
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
        QCOMPARE(window->flsPreview->Movie(), QString::fromStdString(AppFile("Preview/star.swf")));
        QVERIFY(fs::exists(Extracted("content.xml")));
        QCOMPARE(window->StatusText(), QString("No preview of xml.cab is at hand."));
    }
};

QUILLANE_WINDOW_TEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
