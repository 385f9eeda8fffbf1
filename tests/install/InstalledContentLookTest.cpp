// What the Installed Content window shows a person at a glance: an empty
// store said in the list's place, and in every skin rows whose texts can be
// read and disabled buttons that look disabled (tests/support/Contrast.h
// holds the rule).
#include "Contrast.h"
#include "FrmInstalledContent.h"
#include "InstallWindowDriver.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <tuple>

using namespace quillane;
namespace fs = std::filesystem;
namespace support = quillane::testing;

class InstalledContentLookTest : public QObject {
    Q_OBJECT

    std::unique_ptr<support::InstallWindowDriver> driver;

    static std::string Sample(const std::string& name) { return support::AppFolder() + "msnpack/" + name; }

    void Install(const std::string& pack) {
        const auto outcome = driver->Run(pack);
        QVERIFY2(outcome.installed, qPrintable(outcome.label));
    }

    std::unique_ptr<TFrmInstalledContent> OpenWindow() {
        auto window = std::make_unique<TFrmInstalledContent>(driver->StoreFolder());
        window->show();
        return window;
    }

    static void UseSkin(const fs::path& skin) {
        Global().SkinFile = skin.filename().string();
        Global().SkinPath = skin.string();
    }

    static QTreeWidget* Packs(QWidget* window) { return window->findChild<QTreeWidget*>("lstPacks"); }
    static QTreeWidget* Items(QWidget* window) { return window->findChild<QTreeWidget*>("lstItems"); }

private slots:
    void init() { driver = std::make_unique<support::InstallWindowDriver>(); }
    void cleanup() {
        Global().SkinFile = "Normal";
        driver.reset();
    }

    void anEmptyStoreSaysNothingIsInstalledYet() {
        const auto window = OpenWindow();
        auto* nothing = window->findChild<QLabel*>("lblNothingInstalled");
        QVERIFY(nothing && nothing->isVisible());
        QCOMPARE(nothing->text(), QString("Nothing installed yet."));
        QVERIFY(Packs(window.get())->viewport()->rect().contains(nothing->geometry()));

        Install(Sample("faces.QZK"));
        window->findChild<QPushButton*>("btnRefresh")->click();
        QCOMPARE(Packs(window.get())->topLevelItemCount(), 1);
        QVERIFY(!nothing->isVisible());
    }

    // Every bundled skin keeps the rows readable: the selected one, plain and alternate ones.
    void everySkinKeepsTheTextOfEveryRowReadable() {
        for (const char* pack : {"faces.QZK", "faces2.QZK", "bigfaces.QZK"}) Install(Sample(pack));
        for (const auto& skin : fs::directory_iterator(support::AppFolder() + "Skins")) {
            UseSkin(skin.path());
            const auto window = OpenWindow();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QTreeWidget* packs = Packs(window.get());
            QTreeWidget* items = Items(window.get());
            QVERIFY(packs->topLevelItem(0)->isSelected());
            for (const auto& [list, row, column] :
                 {std::tuple{packs, 0, 0}, {packs, 1, 0}, {packs, 2, 0}, {items, 0, 2}, {items, 1, 2}}) {
                const double contrast = support::RowTextContrast(list, list->model()->index(row, column));
                QVERIFY2(contrast >= support::kTextContrast, qPrintable(QString("%1, %2 row %3: contrast %4")
                                                                            .arg(skin.path().filename().c_str(), list->objectName())
                                                                            .arg(row)
                                                                            .arg(contrast)));
            }
        }
    }

    // With nothing installed, Remove, Open Folder and Export have nothing to act
    // on; each is drawn unlike Refresh, which works, yet can still be read.
    void theDisabledButtonsLookDisabledInEverySkin() {
        for (const auto& skin : fs::directory_iterator(support::AppFolder() + "Skins")) {
            UseSkin(skin.path());
            const auto window = OpenWindow();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            auto* refresh = window->findChild<QPushButton*>("btnRefresh");
            QVERIFY(refresh->isEnabled());
            const auto enabled = support::CaptionLookOf(refresh);
            for (const char* name : {"btnRemove", "btnOpenFolder", "btnExportPidgin"}) {
                auto* button = window->findChild<QPushButton*>(name);
                QVERIFY(!button->isEnabled());
                const auto disabled = support::CaptionLookOf(button);
                QVERIFY2(support::LooksDisabled(disabled, enabled),
                         qPrintable(QString("%1, %2: ").arg(skin.path().filename().c_str(), name) +
                                    support::Describe(disabled, enabled)));
            }
        }
    }
};

QUILLANE_WINDOW_TEST_MAIN(InstalledContentLookTest)
#include "InstalledContentLookTest.moc"
