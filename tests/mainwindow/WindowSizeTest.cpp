// The main window's size on a 1280 x 900 screen: the first start shows the
// whole tree and toolbar; later starts keep the size the user left.
#include "FrmMainU.h"
#include "MainWindowUnderTest.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"

#include <QScreen>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

using namespace quillane;
namespace support = quillane::testing;

class WindowSizeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<support::WindowTestFolders> folders;
    std::unique_ptr<TFrmMain> window;

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(1280, 900)); }
    void init() {
        folders = std::make_unique<support::WindowTestFolders>();
        window = support::ShowMainWindowOverBundledCatalogue(*folders);
        QVERIFY(window);
    }
    void cleanup() { support::CloseMainWindow(window, folders); }

    // Every category opened, the tree still needs no scroll bar, and no command hides behind the toolbar's overflow.
    void theFirstWindowFitsItsContentOnTheScreen() {
        window->treWinksList->expandAll();
        QCoreApplication::processEvents();
        QVERIFY2(!window->treWinksList->verticalScrollBar()->isVisible(),
                 qPrintable(QString("%1 x %2").arg(window->width()).arg(window->height())));
        QVERIFY(!window->tblMain->findChild<QToolButton*>("qt_toolbar_ext_button")->isVisible());
        QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
    }

    void laterStartsKeepTheSizeTheUserLeft() {
        window->resize(1010, 720);
        QTRY_COMPARE(window->size(), QSize(1010, 720));
        window->close();
        window = support::ShowMainWindow(*folders);
        QVERIFY(window);
        QCOMPARE(window->size(), QSize(1010, 720));
        const std::string settings = support::ReadFile(folders->AppFile("Config.ini"));
        QVERIFY2(settings.find("WindowWidth=1010\r\nWindowHeight=720\r\n") != std::string::npos, settings.c_str());
    }
};

QUILLANE_WINDOW_TEST_MAIN(WindowSizeTest)
#include "WindowSizeTest.moc"
