// The View and Help menus: the skins from View > Theme, the help on F1, and
// the home page's address when no browser can show it.
#include "FrmMainU.h"
#include "KeyboardUse.h"
#include "MainWindowUnderTest.h"
#include "ModalAnswer.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTextBrowser>
#include <QToolBar>

using namespace quillane;
namespace support = quillane::testing;

namespace {

// The submenu of the menu bar's menu, found by their captions as the user reads them.
QMenu* Submenu(QMainWindow* window, const QString& menu, const QString& submenu) {
    for (QAction* top : window->menuBar()->actions()) {
        if (top->text().remove('&') != menu || !top->menu()) continue;
        for (QAction* item : top->menu()->actions()) {
            if (item->menu() && item->text().remove('&') == submenu) return item->menu();
        }
    }
    return nullptr;
}

}  // namespace

class MenusTest : public QObject {
    Q_OBJECT

    std::unique_ptr<support::WindowTestFolders> folders;
    std::unique_ptr<TFrmMain> window;

private slots:
    void init() {
        folders = std::make_unique<support::WindowTestFolders>();
        support::WriteFile(folders->AppFile("Skins/Midnight.sui"), "QTreeView { background: #23252f; }");
        window = support::ShowMainWindowOverBundledCatalogue(*folders);
        QVERIFY(window);
    }
    void cleanup() { support::CloseMainWindow(window, folders); }

    // With the toolbar hidden, View > Theme offers the skins the toolbar's
    // Theme button offers, and choosing one there applies and keeps it.
    void theViewMenuChoosesTheSkinWithTheToolbarHidden() {
        window->mnuToolbar->trigger();
        QVERIFY(window->tblMain->isHidden());
        QMenu* theme = Submenu(window.get(), "View", "Theme");
        QVERIFY(theme);
        QCOMPARE(theme->actions(), window->popSkin->actions());
        QAction* midnight = theme->actions().constFirst();
        QCOMPARE(midnight->text(), QString("Midnight"));
        midnight->trigger();
        QCOMPARE(Global().SkinFile, std::string("Midnight.sui"));
        QCOMPARE(window->styleSheet(), QString("QTreeView { background: #23252f; }"));
    }

    void f1OpensTheProgramsHelp() {
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        support::PressKey(window.get(), Qt::Key_F1);
        auto* help = window->findChild<QDialog*>("FrmHelp");
        QVERIFY(help && help->isVisible());
        const QString text = help->findChild<QTextBrowser*>("txtHelp")->toPlainText();
        QVERIFY2(text.contains("Tools > Installed Content shows what it holds"), qPrintable(text.left(300)));
    }

    // Without a browser (as on this test's platform) the address is shown, and can be selected to copy it.
    void theHomePageWithoutABrowserShowsItsAddressToCopy() {
        QString text;
        Qt::TextInteractionFlags flags;
        support::AnswerNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            text = box->text();
            flags = box->textInteractionFlags();
            box->accept();
        });
        window->actHome->trigger();
        QVERIFY2(text.contains(kHomePage), qPrintable(text));
        QVERIFY(flags.testFlag(Qt::TextSelectableByMouse));
    }
};

QUILLANE_WINDOW_TEST_MAIN(MenusTest)
#include "MenusTest.moc"
