// The main window worked from the keyboard with real key events, and the
// names that screen readers say for the controls of the program's windows.
#include "AccessibleNames.h"
#include "ContentStore.h"
#include "FlashView.h"
#include "FrmInstalledContent.h"
#include "FrmMainU.h"
#include "KeyboardUse.h"
#include "MainWindowUnderTest.h"
#include "ModalAnswer.h"
#include "PacksMarkerU.h"
#include "PreviewArea.h"
#include "TreeClicks.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTreeView>
#include <filesystem>

using namespace quillane;
namespace fs = std::filesystem;
namespace support = quillane::testing;

class KeyboardTest : public QObject {
    Q_OBJECT

    std::unique_ptr<support::WindowTestFolders> folders;
    std::unique_ptr<TFrmMain> window;
    std::string list;

    std::string AppFile(const std::string& name) const { return folders->AppFile(name); }
    QTreeView* Tree() const { return window->treWinksList; }

    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        support::PressKey(window.get(), key, modifiers);
    }
    QString Highlighted() const { return Tree()->currentIndex().data().toString(); }
    QString Previewed() const { return QString::fromStdString(window->CurrentItem.attribute("ContentTitle").value()); }

    std::vector<std::string> ListedTitles() const {
        TCatalogueDocument document;
        document.Load(list);
        std::vector<std::string> titles;
        for (const CatalogueNode category : document.Children(document.Root())) {
            for (const CatalogueNode item : document.Children(category)) {
                titles.push_back(document.AttributeText(item, "ContentTitle"));
            }
        }
        return titles;
    }

    // File > Open with its key; a closed dialog leaves the offscreen platform's
    // activation behind, which a desktop gives back to the window.
    void OpenListWithKeys() {
        support::AnswerFileDialog(list);
        QTest::keySequence(window->windowHandle(), QKeySequence::Open);
        QCOMPARE(window->ListFileName, list);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

private slots:
    void init() {
        folders = std::make_unique<support::WindowTestFolders>();
        qputenv("HOME", QByteArray::fromStdString(folders->temp.Folder() + "home"));
        for (const char* pack : {"heart.QZK", "sunrise.QZK", "star.QZK", "faces.QZK", "rainbow.QZK"}) {
            fs::copy_file(support::AppFolder() + "msnpack/" + pack, AppFile("msnpack/") + pack);
        }
        fs::copy_file(support::AppFolder() + "content.dat", AppFile("content.dat"));
        list = AppFile("lists/mine.mpl");
        const auto item = [this](const std::string& title, const std::string& pack, const std::string& more) {
            return "<Item ContentTitle=\"" + title + "\" DownloadUrl=\"" + AppFile("msnpack/" + pack) + "\" " + more + "/>\n";
        };
        support::WriteFile(list, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ContentList>\n<Winks>\n" +
                                     item("Bouncing Heart", "heart.QZK", "PrePath=\"heart.swf\"") +
                                     item("Sunrise", "sunrise.QZK", "PrePath=\"sunrise.swf\"") +
                                     item("Spinning Star", "star.QZK", "PrePath=\"star.swf\"") +
                                     "</Winks>\n<Emoticons>\n" +
                                     item("Happy Faces", "faces.QZK", "PrePath=\"MYFACE\" EmoticonsCount=\"4\"") +
                                     "</Emoticons>\n</ContentList>\n");
        window = support::ShowMainWindow(*folders);
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup() { support::CloseMainWindow(window, folders); }

    // Open a list, reach the tree, preview the second pack, delete it, move
    // to another pack and install it: all from the keyboard.
    void aListIsWorkedWithoutTheMouse() {
        OpenListWithKeys();
        Press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(support::Focused(window.get()), QString("treWinksList"));
        QVERIFY(!window->actInstall->isEnabled());

        Press(Qt::Key_Down);
        Press(Qt::Key_Down);
        QCOMPARE(Highlighted(), QString("Sunrise"));
        QTRY_COMPARE(Previewed(), QString("Sunrise"));
        QTRY_COMPARE(window->flsPreview->Movie(), QString("sunrise.swf"));
        QCOMPARE(window->pnlPreview->accessibleName(), QString("Wink: Sunrise"));
        QVERIFY(window->actInstall->isEnabled());
        QCOMPARE(support::Focused(window.get()), QString("treWinksList"));

        Press(Qt::Key_Delete);
        QCOMPARE(ListedTitles(), (std::vector<std::string>{"Bouncing Heart", "Spinning Star", "Happy Faces"}));
        QCOMPARE(support::Focused(window.get()), QString("treWinksList"));

        // Nothing is highlighted after the reload: the first key goes to the first row. The
        // last row is the closed Emoticons category: open it and go down to its pack.
        Press(Qt::Key_Down);
        QCOMPARE(Highlighted(), QString("Winks"));
        Press(Qt::Key_End);
        Press(Qt::Key_Right);
        Press(Qt::Key_Down);
        QCOMPARE(Highlighted(), QString("Happy Faces"));
        Press(Qt::Key_Return);
        QCOMPARE(window->StatusText(), QString("installed successfully"));
        QCOMPARE(Global().PackToInstall, AppFile("msnpack/faces.QZK"));
        const auto packs = TContentStore(folders->temp.Folder() + "data/Quillane/Messenger/").Packs();
        QCOMPARE(packs.size(), size_t(1));
        QCOMPARE(packs[0].items.at(0).name, std::string("Smile"));
        QCOMPARE(window->pnlPreview->accessibleName(), QString("Emoticons: Happy Faces"));
        QCOMPARE(window->pnlPreview->accessibleDescription(), QString("4 emoticons"));
    }

    // A name typed into the Open dialog and taken with Enter while the list of
    // completions shows leaves no list behind to take the keys from the window.
    void theOpenDialogLeavesNoCompletionsBehind() {
        auto popup = std::make_shared<QPointer<QWidget>>();
        support::AnswerNextModal([this, popup](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            dialog->setDirectory(QString::fromStdString(fs::path(list).parent_path().string()));
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(name && name->completer());
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            // Where the dialog puts the keyboard when it opens.
            QTRY_COMPARE(QApplication::focusWidget(), name);
            QTest::keyClicks(name, QString::fromStdString(list).chopped(6));
            QTRY_VERIFY(name->completer()->popup()->isVisible());
            *popup = name->completer()->popup();
            QTest::keyClicks(name, "ne.mpl");
            QTest::keyClick(name, Qt::Key_Return);
        });
        QTest::keySequence(window->windowHandle(), QKeySequence::Open);
        QCOMPARE(window->ListFileName, list);
        QVERIFY(*popup);
        QVERIFY(!(*popup)->isVisible());
    }

    // Delete takes the highlighted pack, never the one clicked before it.
    void deleteRemovesTheHighlightedPackAndNoOther() {
        window->LoadPackList(list);
        window->ListFileName = list;
        support::ClickPackInTree(Tree(), 0, 0);
        QCOMPARE(Previewed(), QString("Bouncing Heart"));
        Press(Qt::Key_Up);
        QCOMPARE(Highlighted(), QString("Winks"));
        Press(Qt::Key_Delete);
        QCOMPARE(ListedTitles().size(), size_t(4));

        Press(Qt::Key_Down);
        Press(Qt::Key_Down);
        // At once, before the preview has caught up with the keys.
        Press(Qt::Key_Delete);
        QCOMPARE(ListedTitles(), (std::vector<std::string>{"Bouncing Heart", "Spinning Star", "Happy Faces"}));
    }

    // The tree keeps the keyboard through a wink's preview, the View toggles
    // and a resize; a click on the preview takes it there.
    void afterAClickOnAWinkTheKeysStillMoveInTheTree() {
        support::ClickPackInTree(Tree(), 0, 0);
        QTRY_VERIFY(window->flsPreview->MovieShown());
        QCOMPARE(support::Focused(window.get()), QString("treWinksList"));
        Press(Qt::Key_Down);
        QCOMPARE(Highlighted(), QString("Rainbow Wave"));
        QTRY_COMPARE(Previewed(), QString("Rainbow Wave"));
        QTRY_COMPARE(window->flsPreview->Movie(), QString("rainbow.swf"));

        window->mnuToolbar->trigger();
        window->meuStatusBar->trigger();
        const QSize resized = window->size() + QSize(40, 30);
        window->resize(resized);
        QTRY_COMPARE(window->size(), resized);
        QCOMPARE(support::Focused(window.get()), QString("treWinksList"));
        Press(Qt::Key_Down);
        QCOMPARE(Highlighted(), QString("Spinning Star"));

        // The click lands on the movie's page, which takes the keys; Tab and Shift+Tab still leave it.
        QWidget* stage = window->flsPreview->childAt(window->flsPreview->rect().center());
        QVERIFY(stage);
        QTest::mouseClick(stage, Qt::LeftButton, {}, stage->rect().center());
        QVERIFY(window->flsPreview->isAncestorOf(window->focusWidget()));
        // Shift+Tab as the desktop reports it.
        Press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(support::Focused(window.get()), QString("treWinksList"));
        QTest::mouseClick(stage, Qt::LeftButton, {}, stage->rect().center());
        Press(Qt::Key_Tab);
        QCOMPARE(support::Focused(window.get()), QString("edtFilter"));
    }

    void everyControlOfTheThreeWindowsHasAName() {
        // A wink and an emoticon pack previewed: the web view of the movie is up and named.
        support::ClickPackInTree(Tree(), 0, 0);
        QTRY_VERIFY(window->flsPreview->MovieShown());
        QCOMPARE(window->flsPreview->accessibleName(), QString("Wink: Bouncing Heart"));
        QVERIFY2(support::UnnamedControls(window.get()).isEmpty(), qPrintable(support::UnnamedControls(window.get()).join(", ")));
        support::ClickPackInTree(Tree(), 2, 1);
        QCOMPARE(window->pnlPreview->accessibleName(), QString("Emoticons: Happy Faces"));
        QCOMPARE(window->pnlPreview->accessibleDescription(), QString("4 emoticons"));
        QVERIFY2(support::UnnamedControls(window.get()).isEmpty(), qPrintable(support::UnnamedControls(window.get()).join(", ")));

        window->findChild<QAction*>("actInstalledContent")->trigger();
        auto* installed = window->findChild<TFrmInstalledContent*>();
        QVERIFY(installed && installed->isVisible());
        QVERIFY2(support::UnnamedControls(installed).isEmpty(), qPrintable(support::UnnamedControls(installed).join(", ")));
        installed->close();

        auto unnamed = std::make_shared<QStringList>(QStringList{"not checked"});
        support::AnswerNextModal([unnamed](QWidget* modal) {
            auto* creator = qobject_cast<TFrmPacksCreator*>(modal);
            QVERIFY(creator);
            *unnamed = support::UnnamedControls(creator);
            creator->tabContent->setCurrentWidget(creator->tabDipPicture);
            *unnamed += support::UnnamedControls(creator);
            creator->close();
        });
        window->actPackMark->trigger();
        QVERIFY2(unnamed->isEmpty(), qPrintable(unnamed->join(", ")));
    }
};

QUILLANE_WINDOW_TEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
