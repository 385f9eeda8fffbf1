// The main window's texts in every bundled skin: the tree's rows, the
// selected one included, at the contrast body text needs, and a disabled
// toolbar button readable yet unlike an enabled one (tests/support/Contrast.h
// holds the rule).
#include "Contrast.h"
#include "FrmMainU.h"
#include "MainWindowUnderTest.h"
#include "WindowTestFolders.h"
#include "WindowTestMain.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

using namespace quillane;
namespace fs = std::filesystem;
namespace support = quillane::testing;

class SkinContrastTest : public QObject {
    Q_OBJECT

    std::unique_ptr<support::WindowTestFolders> folders;
    std::unique_ptr<TFrmMain> window;

    // The main window in the bundled skin, shown.
    void ShowInSkin(const fs::path& skin) {
        window.reset();
        folders = std::make_unique<support::WindowTestFolders>();
        fs::create_directories(folders->AppFile("Skins"));
        fs::copy_file(skin, folders->AppFile("Skins/" + skin.filename().string()));
        support::WriteFile(folders->AppFile("Config.ini"), "[Config]\r\nSkinFile=" + skin.filename().string() + "\r\n");
        window = support::ShowMainWindowOverBundledCatalogue(*folders);
        QVERIFY(window);
    }

    static std::vector<fs::path> Skins() {
        std::vector<fs::path> skins;
        for (const auto& skin : fs::directory_iterator(support::AppFolder() + "Skins")) skins.push_back(skin.path());
        return skins;
    }

private slots:
    void cleanup() { support::CloseMainWindow(window, folders); }

    void theTreesRowsAreReadableSelectedOrNotInEverySkin() {
        for (const fs::path& skin : Skins()) {
            ShowInSkin(skin);
            QTreeView* tree = window->treWinksList;
            // A category is chosen: it previews nothing that could cover the tree.
            const QModelIndex winks = tree->model()->index(0, 0);
            tree->setCurrentIndex(winks);
            tree->setFocus();
            for (const QModelIndex& row : {winks, tree->model()->index(0, 0, winks)}) {
                const double contrast = support::RowTextContrast(tree, row);
                QVERIFY2(contrast >= support::kTextContrast, qPrintable(QString("%1, %2%3: %4:1")
                                                                            .arg(skin.filename().c_str(), row.data().toString())
                                                                            .arg(row == winks ? " (selected)" : "")
                                                                            .arg(contrast)));
            }
        }
    }

    // Install to MSN is disabled until a pack is chosen; Packs Creator always works.
    void aDisabledToolbarButtonLooksDisabledInEverySkin() {
        for (const fs::path& skin : Skins()) {
            ShowInSkin(skin);
            QVERIFY(!window->actInstall->isEnabled());
            const auto disabled =
                support::CaptionLookOf(qobject_cast<QToolButton*>(window->tblMain->widgetForAction(window->actInstall)));
            const auto enabled =
                support::CaptionLookOf(qobject_cast<QToolButton*>(window->tblMain->widgetForAction(window->actPackMark)));
            QVERIFY2(support::LooksDisabled(disabled, enabled),
                     qPrintable(QString(skin.filename().c_str()) + ": " + support::Describe(disabled, enabled)));
        }
    }
};

QUILLANE_WINDOW_TEST_MAIN(SkinContrastTest)
#include "SkinContrastTest.moc"
