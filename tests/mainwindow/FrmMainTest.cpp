// The main window driven as a user drives it, on real files in temporary folders.
#include "CatalogueTreeModel.h"
#include "Contrast.h"
#include "FlashView.h"
#include "FrmMainU.h"
#include "LocalSite.h"
#include "ModalAnswer.h"
#include "TempFolder.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"
#include "uAbout.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <filesystem>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

// A catalogue with the given categories and numbers of packs.
std::string Catalogue(const std::vector<std::pair<std::string, int>>& categories) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ContentList>\n";
    int number = 0;
    for (const auto& [name, count] : categories) {
        xml += "<" + name + ">\n";
        for (int i = 0; i < count; ++i) {
            const std::string n = std::to_string(++number);
            xml += "<Item ContentTitle=\"Pack " + n + "\" DownloadUrl=\"packs/p" + n + ".QZK\" PrePath=\"p.swf\" Rating=\"" +
                   n + "\"/>\n";
        }
        xml += "</" + name + ">\n";
    }
    return xml + "</ContentList>\n";
}


QString Text(QTreeView* tree, const QModelIndex& index) {
    return tree->model()->data(index, Qt::DisplayRole).toString();
}

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

}  // namespace

class FrmMainTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempFolder> app;
    std::unique_ptr<testing::TempFolder> data;

    std::string AppFile(const std::string& name) const { return app->Folder() + name; }
    std::unique_ptr<TFrmMain> NewWindow() {
        InstallGlobal(std::make_unique<TGlobal>(app->Folder()));
        return std::make_unique<TFrmMain>();
    }

    // A window in the bundled skin, shown; empty if it could not be.
    std::unique_ptr<TFrmMain> ShowInSkin(const fs::path& skin) {
        fs::copy_file(skin, AppFile("Skins/" + skin.filename().string()), fs::copy_options::overwrite_existing);
        testing::WriteFile(AppFile("Config.ini"), "[Config]\r\nSkinFile=" + skin.filename().string() + "\r\n");
        auto window = NewWindow();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) window.reset();
        return window;
    }

private slots:
    void init() {
        app = std::make_unique<testing::TempFolder>();
        data = std::make_unique<testing::TempFolder>();
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data->Path().string()));
        testing::WriteFile(AppFile("content.dat"), Catalogue({{"Winks", 30}, {"Emoticons", 27}}));
        testing::WriteFile(AppFile("Skins/MacOS.sui"), "QTreeView { background: #f5f6f8; }");
    }

    // In every bundled skin each toolbar button is as tall as its icon and
    // caption need: no caption loses the bottoms of its letters.
    void everyToolbarCaptionIsShownWholeInEverySkin() {
        for (const auto& skin : fs::directory_iterator(testing::AppFolder() + "Skins")) {
            const auto window = ShowInSkin(skin.path());
            QVERIFY(window);
            for (QToolButton* button : window->tblMain->findChildren<QToolButton*>()) {
                if (!button->isVisible()) continue;
                QVERIFY2(button->height() >= button->sizeHint().height(),
                         qPrintable(QString::fromStdString(skin.path().filename().string()) + ": " + button->text() + " is " +
                                    QString::number(button->height()) + " pixels high of " +
                                    QString::number(button->sizeHint().height())));
            }
        }
    }

    // The preview's stage, behind movies and pictures alike, is of the skin:
    // light under a light skin's text, dark under a dark one's.
    void thePreviewStageTakesTheSkinsColourInEverySkin() {
        for (const auto& skin : fs::directory_iterator(testing::AppFolder() + "Skins")) {
            const auto window = ShowInSkin(skin.path());
            QVERIFY(window);
            const QColor text = window->palette().color(QPalette::WindowText);
            auto* picture = window->findChild<QWidget*>("shpImage");
            picture->show();
            const QImage shot = picture->grab().toImage();
            const QColor behindPicture = shot.pixelColor(shot.rect().center());
            window->findChild<TFlashView*>("flsPreview")->SetMovie(QString());
            const QColor behindMovie = window->findChild<QWebEngineView*>("flsPreviewStage")->page()->backgroundColor();
            const QString name = QString::fromStdString(skin.path().filename().string());
            QVERIFY2(testing::ContrastRatio(behindPicture, text) >= 4.5, qPrintable(name + ": picture stage " + behindPicture.name()));
            QVERIFY2(testing::ContrastRatio(behindMovie, text) >= 4.5, qPrintable(name + ": movie stage " + behindMovie.name()));
        }
    }

    // A narrow window keeps every toolbar command in reach: what does not fit
    // moves behind the toolbar's overflow button.
    void aNarrowWindowKeepsEveryToolbarCommandInReach() {
        const auto window = NewWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->resize(300, 400);
        QTRY_VERIFY(window->width() <= 300);
        auto* overflow = window->tblMain->findChild<QToolButton*>("qt_toolbar_ext_button");
        QVERIFY(overflow);
        QTRY_VERIFY2(overflow->isVisible(), "no overflow button");
        QVERIFY(window->tblMain->rect().contains(overflow->geometry()));
        // At every width, a button left on the toolbar shows its caption whole.
        for (int width = 640; width >= 300; width -= 10) {
            window->resize(width, 400);
            QCoreApplication::processEvents();
            for (QAction* action : window->tblMain->actions()) {
                QWidget* button = window->tblMain->widgetForAction(action);
                if (button->isVisible()) {
                    QVERIFY2(button->width() >= button->sizeHint().width(),
                             qPrintable(action->text() + " at " + QString::number(width)));
                }
            }
        }
    }

    void theDefaultCatalogueIsCountedIntoCurrentWinks() {
        const auto window = NewWindow();
        QCOMPARE(window->StatusText(), QString("57 Quillane pack in the list."));
        QCOMPARE(Global().CurrentWinks, 57);
        QCOMPARE(window->windowTitle(), QString("Quillane"));
        QVERIFY(window->UsingDefault);
        QVERIFY(!window->actUseDefault->isEnabled());
        QVERIFY(!window->actInstall->isEnabled());
        QVERIFY(window->FlashShown);
        QTreeView* tree = window->findChild<QTreeView*>("treWinksList");
        QVERIFY(tree);
        QCOMPARE(tree->model()->rowCount(), 2);
        const QModelIndex winks = tree->model()->index(0, 0);
        QCOMPARE(Text(tree, winks), QString("Winks"));
        QVERIFY(tree->isExpanded(winks));
        QVERIFY(!tree->isExpanded(tree->model()->index(1, 0)));
        QCOMPARE(Text(tree, tree->model()->index(29, 0, winks)), QString("Pack 30"));
    }

    void openingAListChangesCaptionAndCountButNotCurrentWinks() {
        const auto window = NewWindow();
        const std::string mine = app->Folder() + "lists/mine.mpl";
        testing::WriteFile(mine, Catalogue({{"Winks", 3}}));
        // A pack chosen before: the new list has none chosen, so nothing to install.
        window->treWinksList->setCurrentIndex(window->treWinksList->model()->index(0, 0, window->treWinksList->model()->index(0, 0)));
        window->treWinksListClick();
        QVERIFY(window->actInstall->isEnabled());
        testing::AnswerFileDialog(mine);
        window->findChild<QAction*>("actOpen")->trigger();
        QVERIFY(!window->actInstall->isEnabled());
        QCOMPARE(window->windowTitle(), QString("Quillane - mine.mpl"));
        QCOMPARE(window->StatusText(), QString("3 Quillane pack in the list."));
        QCOMPARE(Global().CurrentWinks, 57);
        QCOMPARE(window->ListFileName, mine);
        QVERIFY(!window->UsingDefault);
        QVERIFY(window->actUseDefault->isEnabled());
        QCOMPARE(window->flsPreview->Movie(), QString("c:\\1.swf"));

        window->actUseDefault->trigger();
        QVERIFY(!window->actInstall->isEnabled());
        QCOMPARE(window->windowTitle(), QString("Quillane"));
        QCOMPARE(window->StatusText(), QString("57 Quillane pack in the list."));
        QCOMPARE(window->ListFileName, mine);
    }

    void onlyTheExactPathIsTheDefaultCatalogue() {
        const auto window = NewWindow();
        testing::WriteFile(AppFile("Content.dat"), Catalogue({{"Winks", 2}}));
        window->LoadPackList(AppFile("Content.dat"));
        QVERIFY(!window->UsingDefault);
        QCOMPARE(window->windowTitle(), QString("Quillane - Content.dat"));
        QCOMPARE(Global().CurrentWinks, 57);
    }

    void aNamespacePrefixIsNotShown() {
        const auto window = NewWindow();
        testing::WriteFile(AppFile("ns.mpl"),
                           "<r xmlns:m=\"urn:x\"><m:Winks><Item ContentTitle=\"A\"/></m:Winks></r>");
        window->LoadPackList(AppFile("ns.mpl"));
        QCOMPARE(Text(window->treWinksList, window->treWinksList->model()->index(0, 0)), QString("Winks"));
    }

    void aLoadFailureShowsOneMessageAndKeepsTheNodesBuiltSoFar() {
        const auto window = NewWindow();
        testing::WriteFile(AppFile("broken.mpl"),
                           "<r><Winks><Item ContentTitle=\"A\"/><Item ContentTitle=\"B\"/></Winks>"
                           "<Emoticons><Item ContentTitle=\"C\"/><Item PrePath=\"x\"/><Item ContentTitle=\"D\"/></Emoticons></r>");
        const auto box = testing::AnswerMessageBox();
        window->LoadPackList(AppFile("broken.mpl"));
        QVERIFY(box->seen);
        QCOMPARE(box->text,
                 QString("Load the Quillane pack list failed.Please click Upgrade button to Get new Quillane list ."));
        QCOMPARE(box->title, QString("Quillane"));
        QCOMPARE(box->icon, QMessageBox::NoIcon);
        QAbstractItemModel* model = window->treWinksList->model();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->rowCount(model->index(0, 0)), 2);
        QCOMPARE(model->rowCount(model->index(1, 0)), 1);
        QCOMPARE(window->StatusText(), QString("57 Quillane pack in the list."));
        QCOMPARE(window->windowTitle(), QString("Quillane - broken.mpl"));

        for (const std::string& content : {std::string("<r></r>"), std::string("<r><Winks>"), std::string("")}) {
            testing::WriteFile(AppFile("bad.mpl"), content);
            const auto again = testing::AnswerMessageBox();
            window->LoadPackList(AppFile("bad.mpl"));
            QVERIFY2(again->seen, content.c_str());
        }
        const auto missing = testing::AnswerMessageBox();
        window->LoadPackList(AppFile("missing.mpl"));
        QVERIFY(missing->seen);
    }

    void theThemeMenuListsTheSkinsFolder() {
        testing::WriteFile(AppFile("Skins/Blue.sui"), "QTreeView { background: #2050a0; }");
        testing::WriteFile(AppFile("Skins/readme.txt"), "not a skin, listed all the same");
        testing::WriteFile(AppFile("Skins/aqua.sui"), "QTreeView { background: #40c0c0; }");
        fs::create_directories(AppFile("Skins/folder.sui"));
        // By name, without regard to letter case, whatever order the disk keeps.
        const std::vector<QString> expected = {"aqua", "Blue", "MacOS", "readme"};
        const auto window = NewWindow();
        const QList<QAction*> items = window->popSkin->actions();
        QCOMPARE(items.size(), int(expected.size()) + 2);
        for (size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(items[int(i)]->text(), expected[i]);
            QCOMPARE(items[int(i)]->isChecked(), expected[i] == "MacOS");
        }
        QVERIFY(items[int(expected.size())]->isSeparator());
        QAction* normal = items.last();
        QCOMPARE(normal->text(), QString("Normal"));
        QVERIFY(!normal->isChecked());
        QCOMPARE(window->styleSheet(), QString("QTreeView { background: #f5f6f8; }"));

        QAction* blue = *std::find_if(items.begin(), items.end(), [](QAction* a) { return a->text() == "Blue"; });
        blue->trigger();
        QVERIFY(blue->isChecked());
        QCOMPARE(std::count_if(items.begin(), items.end(), [](QAction* a) { return a->isChecked(); }), 1);
        QCOMPARE(Global().SkinFile, std::string("Blue.sui"));
        QCOMPARE(Global().SkinPath, AppFile("Skins/Blue.sui"));
        QVERIFY(testing::ReadFile(AppFile("Config.ini")).find("SkinFile=Blue.sui\r\n") != std::string::npos);
        QCOMPARE(window->styleSheet(), QString("QTreeView { background: #2050a0; }"));

        QAction* readme = *std::find_if(items.begin(), items.end(), [](QAction* a) { return a->text() == "readme"; });
        readme->trigger();
        QCOMPARE(Global().SkinFile, std::string("readme.sui"));

        normal->trigger();
        QCOMPARE(Global().SkinFile, std::string("Normal"));
        QCOMPARE(Global().SkinPath, AppFile("Skins/Normal"));
        QCOMPARE(window->styleSheet(), QString());
        QVERIFY(testing::ReadFile(AppFile("Config.ini")).find("SkinFile=Normal\r\n") != std::string::npos);

        const auto reopened = NewWindow();
        QCOMPARE(reopened->styleSheet(), QString());
        QVERIFY(!reopened->popSkin->actions().last()->isChecked());
    }

    void anEmptyOrMissingSkinsFolder() {
        fs::remove_all(AppFile("Skins"));
        QVERIFY(NewWindow()->popSkin->actions().isEmpty());
        fs::create_directories(AppFile("Skins"));
        const auto window = NewWindow();
        const QList<QAction*> items = window->popSkin->actions();
        QCOMPARE(items.size(), 2);
        QVERIFY(items[0]->isSeparator());
        QCOMPARE(items[1]->text(), QString("Normal"));
    }

    void theViewTogglesStoreTheirKeys() {
        const auto window = NewWindow();
        QVERIFY(window->mnuToolbar->isChecked());
        window->ShowFlashView(false);
        window->mnuToolbar->trigger();
        QVERIFY(window->tblMain->isHidden());
        QVERIFY(!window->mnuToolbar->isChecked());
        QCOMPARE(testing::ReadFile(AppFile("Config.ini")),
                 std::string("[Config]\r\nCurrentWinks=57\r\nSkinFile=MacOS.sui\r\nDownAfterInstall=1\r\n"
                             "ShowToolbar=0\r\nShowStatus=1\r\n"));
        window->meuStatusBar->trigger();
        QVERIFY(window->staOptState->isHidden());
        QVERIFY(testing::ReadFile(AppFile("Config.ini")).find("ShowStatus=0\r\n") != std::string::npos);

        const auto reopened = NewWindow();
        QVERIFY(reopened->tblMain->isHidden());
        QVERIFY(reopened->staOptState->isHidden());
        QVERIFY(!reopened->meuStatusBar->isChecked());
        reopened->mnuToolbar->trigger();
        QVERIFY(!reopened->tblMain->isHidden());
        QVERIFY(testing::ReadFile(AppFile("Config.ini")).find("ShowToolbar=1\r\n") != std::string::npos);
    }

    void aSettingThatCannotBeSavedShowsTheErrorBoxAndStaysOnScreen() {
        const auto window = NewWindow();
        testing::WriteFile(AppFile("blocker"), "");
        Global().ConfigFile = AppFile("blocker") + "/Config.ini";
        const auto box = testing::AnswerMessageBox();
        window->mnuToolbar->trigger();
        QVERIFY(box->seen);
        QCOMPARE(box->text, QString::fromStdString("Unable to write to " + Global().ConfigFile + "."));
        QCOMPARE(box->icon, QMessageBox::Critical);
        QCOMPARE(box->title, QString("Quillane"));
        QVERIFY(window->tblMain->isHidden());
        QVERIFY(!Global().ShowToolbar);
    }

    // Each file dialog says what it is for, and starts where a dialog of its
    // purpose was last used, in this session or an earlier one.
    void theFileDialogsAreTitledByTheirPurposeAndRememberTheirFolder() {
        auto window = NewWindow();
        QStringList titles;
        const auto note = [&titles](QString* folder = nullptr) {
            testing::AnswerNextModal([&titles, folder](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                QVERIFY(dialog);
                titles << dialog->windowTitle();
                if (folder) *folder = dialog->directory().absolutePath();
                dialog->reject();
            });
        };
        const std::string saved = app->Folder() + "lists/mine.mpl";
        fs::create_directories(app->Folder() + "lists");
        // The whole path typed into the dialog's name field, as a user may.
        testing::AnswerNextModal([&saved](QWidget* modal) {
            auto* name = modal->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(name);
            name->setText(QString::fromStdString(saved));
            QMetaObject::invokeMethod(modal, "accept");
        });
        window->actNew->trigger();
        QCOMPARE(window->ListFileName, saved);
        QString folder;
        note(&folder);
        window->actSaveAs->trigger();
        QCOMPARE(folder, QString::fromStdString(app->Folder() + "lists"));
        note();
        window->actOpen->trigger();
        note();
        window->findChild<QAction*>("actPreviewFile")->trigger();
        QCOMPARE(titles, (QStringList{"Save Pack List As", "Open Pack List", "Preview Pack File"}));

        // A list saved into a folder whose name holds a line break: that folder
        // is not kept, and the settings file stays whole.
        const std::string odd = app->Folder() + "odd\nSkinFile=Midnight.sui/";
        fs::create_directories(odd);
        testing::AnswerFileDialog(odd + "other.mpl");
        window->actSaveAs->trigger();
        QCOMPARE(window->ListFileName, odd + "other.mpl");

        // The next session: the list dialogs start in the lists' folder, or in
        // the user's folder once that is gone.
        window.reset();
        window = NewWindow();
        QCOMPARE(QString::fromStdString(Global().SkinFile), QString("MacOS.sui"));
        note(&folder);
        window->actOpen->trigger();
        QCOMPARE(folder, QString::fromStdString(app->Folder() + "lists"));
        fs::remove_all(app->Folder() + "lists");
        note(&folder);
        window->actOpen->trigger();
        QCOMPARE(folder, QString::fromStdString(Global().UserPath).chopped(1));
    }

    void newWritesTheTemplateOverAnExistingList() {
        const auto window = NewWindow();
        const std::string list = AppFile("WinksList.mpl");
        testing::WriteFile(list, Catalogue({{"Winks", 4}}));
        window->ShowFlashView(false);
        testing::AnswerFileDialog(list, true);
        window->actNew->trigger();
        QCOMPARE(testing::ReadFile(list),
                 std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<ContentList>\r\n<Winks>\r\n</Winks>\r\n"
                             "</ContentList>\r\n"));
        QCOMPARE(window->windowTitle(), QString("Quillane - WinksList.mpl"));
        QCOMPARE(window->StatusText(), QString("0 Quillane pack in the list."));
        QCOMPARE(window->ListFileName, list);
        QVERIFY(window->FlashShown);
        QVERIFY(!window->flsPreview->isHidden());
        QVERIFY(window->gifPrevew->isHidden());
        QCOMPARE(window->flsPreview->Movie(), QString("c:\\1.swf"));
    }

    void newIntoAFolderThatCannotBeWrittenShowsTheErrorBox() {
        const auto window = NewWindow();
        testing::WriteFile(AppFile("blocker"), "");
        testing::AnswerFileDialog(AppFile("blocker") + "/WinksList.mpl");
        const auto box = std::make_shared<testing::SeenBox>();
        QTimer::singleShot(300, [box] {
            testing::AnswerNextModal([box](QWidget* modal) {
                auto* message = qobject_cast<QMessageBox*>(modal);
                if (!message) return;
                *box = {message->text(), message->windowTitle(), message->icon(), true};
                message->accept();
            });
        });
        window->actNew->trigger();
        if (!box->seen) {
            // The file dialog refused the path below a file itself; that loses nothing either.
            QVERIFY(window->UsingDefault);
        } else {
            QCOMPARE(box->icon, QMessageBox::Critical);
            QVERIFY(window->UsingDefault);
        }
    }

    void saveAsOfTheDefaultCatalogueMakesAListWithEveryPack() {
        const auto window = NewWindow();
        const std::string list = AppFile("all.mpl");
        testing::AnswerFileDialog(list);
        window->actSaveAs->trigger();
        QVERIFY(!window->UsingDefault);
        QCOMPARE(window->ListFileName, list);
        QCOMPARE(window->StatusText(), QString("57 Quillane pack in the list."));
        QCOMPARE(window->windowTitle(), QString("Quillane - all.mpl"));
        TCatalogueDocument saved;
        saved.Load(list);
        QCOMPARE(saved.Count(saved.Child(saved.Root(), 0)) + saved.Count(saved.Child(saved.Root(), 1)), 57);
        QVERIFY2(testing::ReadFile(list).find("Rating=\"57\"") != std::string::npos, testing::ReadFile(list).substr(0, 300).c_str());
        QCOMPARE(Global().CurrentWinks, 57);
    }

    void aListMadeOnWindowsShowsItsTitlesAndSavesAsUtf8ThatOtherReadersAccept() {
        const auto window = NewWindow();
        const std::string list = AppFile("Café list.mpl");
        fs::copy_file(testing::WindowsTextFile("list-1252.mpl"), list);
        testing::AnswerFileDialog(list);
        window->actOpen->trigger();
        QCOMPARE(window->windowTitle(), QString("Quillane - Café list.mpl"));
        QCOMPARE(window->StatusText(), QString("3 Quillane pack in the list."));
        QTreeView* tree = window->treWinksList;
        const QModelIndex winks = tree->model()->index(0, 0);
        const QModelIndex emoticons = tree->model()->index(1, 0);
        QCOMPARE(Text(tree, tree->model()->index(0, 0, winks)), QString("Café €uro"));
        QCOMPARE(Text(tree, tree->model()->index(1, 0, winks)), QString("Naïve “quotes”"));
        QCOMPARE(Text(tree, emoticons), QString("Émoticones"));
        QCOMPARE(Text(tree, tree->model()->index(0, 0, emoticons)), QString("Smîle ™"));

        const std::string saved = AppFile("saved.mpl");
        testing::AnswerFileDialog(saved);
        window->actSaveAs->trigger();
        QCOMPARE(window->StatusText(), QString("3 Quillane pack in the list."));
        // Python's XML parser refuses bytes that are not text in the declared encoding.
        const QString script = "import sys, xml.etree.ElementTree as t\n"
                               "root = t.parse(sys.argv[1]).getroot()\n"
                               "print('|'.join(c.tag + ':' + ','.join(i.get('ContentTitle') for i in c) for c in root))";
        QProcess python;
        python.start("python3", {"-c", script, QString::fromStdString(saved)});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(python.readAllStandardError()), QString());
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
                 QString("Winks:Café €uro,Naïve “quotes”|Émoticones:Smîle ™"));
        QVERIFY(testing::ReadFile(saved).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0) == 0);
    }

    void listsInOtherCodePagesShowAndAnUnknownEncodingFailsToLoad() {
        const auto window = NewWindow();
        const std::vector<std::pair<std::string, QString>> lists = {
            {"list-gbk.mpl", "笑脸"}, {"list-sjis.mpl", "笑顔パック"}, {"list-koi8r.mpl", "Улыбка"},
            {"list-utf16le.mpl", "Ελληνικά"}, {"list-utf16le-nomark.mpl", "Ελλάδα"}};
        for (const auto& [name, title] : lists) {
            window->LoadPackList(testing::WindowsTextFile(name));
            const QModelIndex winks = window->treWinksList->model()->index(0, 0);
            QCOMPARE(Text(window->treWinksList, window->treWinksList->model()->index(0, 0, winks)), title);
        }
        const auto box = testing::AnswerMessageBox();
        window->LoadPackList(testing::WindowsTextFile("list-unknown.mpl"));
        QVERIFY(box->seen);
        QCOMPARE(box->text,
                 QString("Load the Quillane pack list failed.Please click Upgrade button to Get new Quillane list ."));
        QCOMPARE(window->treWinksList->model()->rowCount(), 0);
    }

    void theAboutBoxLinksOpenTheVendorsAddresses() {
        const auto window = NewWindow();
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler("http", &recorder, "open");
        QDesktopServices::setUrlHandler("mailto", &recorder, "open");
        window->actHome->trigger();
        testing::AnswerNextModal([](QWidget* modal) {
            auto* about = qobject_cast<TFrmAbout*>(modal);
            QVERIFY(about);
            QCOMPARE(about->windowTitle(), QString("About Quillane"));
            QCOMPARE(about->size(), QSize(370, 172));
            auto* home = about->findChild<TLinkLabel*>("labHomePage");
            auto* sales = about->findChild<TLinkLabel*>("labSales");
            QVERIFY(home && sales);
            QCOMPARE(home->palette().color(QPalette::WindowText), QColor(Qt::blue));
            QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
            QCoreApplication::sendEvent(home, &enter);
            QCOMPARE(home->palette().color(QPalette::WindowText), QColor(0, 0, 128));
            QCOMPARE(about->cursor().shape(), Qt::PointingHandCursor);
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(home, &leave);
            QCOMPARE(home->palette().color(QPalette::WindowText), QColor(Qt::blue));
            QCOMPARE(home->font().family(), QFont("Tahoma").family());
            QCOMPARE(about->cursor().shape(), Qt::ArrowCursor);
            QTest::mouseClick(home, Qt::LeftButton);
            QTest::mouseClick(sales, Qt::LeftButton);
            about->close();
        });
        window->actAbout->trigger();
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("mailto");
        QCOMPARE(recorder.opened, (QList<QUrl>{QUrl("http://www.quillane.example/"), QUrl("http://www.quillane.example/"),
                                               QUrl("mailto:sales@quillane.example")}));
    }

    void aFailedFileAssociationIsReportedAndTheWindowStillOpens() {
        testing::WriteFile(data->File("applications"), "a file where the folder should be");
        const auto box = testing::AnswerMessageBox();
        const auto window = NewWindow();
        QVERIFY(box->seen);
        QVERIFY(box->text.startsWith("Failed to set data for '"));
        QCOMPARE(box->icon, QMessageBox::Critical);
        QCOMPARE(window->StatusText(), QString("57 Quillane pack in the list."));
    }

    void theCommonCommandsHaveTheirKeysAndTheWindowOpensCentred() {
        testing::WriteFile(AppFile("Config.ini"),
                           "[Config]\r\nDownloadBase=http://127.0.0.1:" + std::to_string(testing::FreePort()) + "/\r\n");
        const auto window = NewWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const QRect screen = window->screen()->availableGeometry();
        QVERIFY((window->geometry().center() - screen.center()).manhattanLength() < 40);

        const auto pressed = [&](QAction* action, const QKeySequence& keys) {
            QSignalSpy triggered(action, &QAction::triggered);
            // Keys go where the user's focus is once a dialog has closed: the tree. The
            // offscreen platform leaves a closed dialog active, so the test activates the window.
            QApplication::setActiveWindow(window.get());
            window->treWinksList->setFocus();
            QTest::keySequence(window->treWinksList, keys);
            return triggered.count() == 1;
        };
        const auto closeModal = [] { testing::AnswerNextModal([](QWidget* modal) { modal->close(); }); };
        closeModal();
        QVERIFY(pressed(window->actNew, QKeySequence::New));
        closeModal();
        QVERIFY(pressed(window->actOpen, QKeySequence::Open));
        closeModal();
        QVERIFY(pressed(window->actSaveAs, window->actSaveAs->shortcut()));
        QCOMPARE(window->actSaveAs->shortcut(), QKeySequence("Ctrl+Shift+S"));
        QVERIFY(pressed(window->actUpgrade, Qt::Key_F5));
        QCOMPARE(window->StatusText(), QString("updated unsuccessfully"));

        // Enter installs the selected pack, and Delete does nothing to the default catalogue.
        QTreeView* tree = window->treWinksList;
        tree->setFocus();
        tree->setCurrentIndex(tree->model()->index(0, 0, tree->model()->index(0, 0)));
        window->treWinksListClick();
        closeModal();
        QVERIFY(pressed(window->actInstall, Qt::Key_Return));
        QVERIFY(!pressed(window->deleteitem1, QKeySequence::Delete));

        // On a user list, Delete removes the pack, as the pop-up menu's Delete does.
        const std::string list = AppFile("mine.mpl");
        testing::WriteFile(list, Catalogue({{"Winks", 2}}));
        window->LoadPackList(list);
        window->ListFileName = list;
        tree->setCurrentIndex(tree->model()->index(1, 0, tree->model()->index(0, 0)));
        window->treWinksListClick();
        QVERIFY(pressed(window->deleteitem1, QKeySequence::Delete));
        QVERIFY(testing::ReadFile(list).find("Pack 2") == std::string::npos);
        QVERIFY(testing::ReadFile(list).find("Pack 1") != std::string::npos);

        QVERIFY(pressed(window->Exit1, QKeySequence("Ctrl+Q")));
        QVERIFY(!window->isVisible());
    }
};

QUILLANE_WINDOW_TEST_MAIN(FrmMainTest)
#include "FrmMainTest.moc"
