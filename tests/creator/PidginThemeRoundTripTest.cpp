// Messenger packs made into Pidgin themes by the export and made back into
// packs by the Packs Creator's import: the pack that comes back installs with
// the pictures and shortcuts it started with.
#include "BundledPacks.h"
#include "ContentStore.h"
#include "ModalAnswer.h"
#include "PackFixtures.h"
#include "PacksMarkerU.h"
#include "PidginTheme.h"
#include "TempFolder.h"
#include "WinksGlobal.h"

#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

// What a user gets of an installed pack: each emoticon's picture and shortcut, in order.
std::vector<std::pair<std::string, std::string>> Emoticons(const TContentStore& store, const TStoredPack& pack) {
    std::vector<std::pair<std::string, std::string>> emoticons;
    for (const TStoredItem& item : pack.items) {
        if (item.type == "emoticon") emoticons.emplace_back(testing::ReadFile(store.Folder() + item.file), item.shortcut);
    }
    return emoticons;
}

}  // namespace

class PidginThemeRoundTripTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::TempFolder> app;
    std::unique_ptr<testing::TempFolder> work;

    // Installs a plain cabinet into a store of its own and gives back the stored pack.
    static TStoredPack Installed(TContentStore& store, const std::string& cabinet, const std::string& name) {
        if (const int code = store.Install(cabinet, cabinet, {name}); code != kInstalled) {
            throw std::runtime_error("not installed, code " + std::to_string(code) + ": " + cabinet);
        }
        return store.Packs().back();
    }

    // The pack exported, imported into a fresh Packs Creator, saved as a pack
    // of the given extension and installed again: the emoticons both installs give.
    void RoundTrip(const std::string& cabinet, const std::string& name, const std::string& extension) {
        TContentStore original(work->Folder() + name + "-original/");
        const TStoredPack pack = Installed(original, cabinet, name);
        const std::vector<std::pair<std::string, std::string>> before = Emoticons(original, pack);
        QVERIFY2(!before.empty(), name.c_str());

        const TPidginTheme theme = PidginThemeOf(pack, original.Folder());
        const std::string themeFolder = ThemeFolder(work->Folder() + "smileys/", theme.name);
        QCOMPARE(WritePidginTheme(theme, themeFolder).shortcutsLeftOut, 0);

        TFrmPacksCreator window;
        window.show();
        testing::AnswerFileDialog(fs::path(themeFolder).parent_path().string());
        const auto report = testing::AnswerMessageBox();
        window.btnImportPidgin->click();
        QVERIFY(report->seen);
        QCOMPARE(report->icon, QMessageBox::Information);
        QCOMPARE(window.lstEmoticons->topLevelItemCount(), static_cast<int>(before.size()));

        // A name that holds ".QZK" anywhere is written as a .QZK pack, so the pack's own extension goes.
        const std::string saved = work->File(fs::path(name).stem().string() + "-again" + extension);
        testing::AnswerFileDialog(saved);
        {
            testing::MessageBoxRecorder told;
            window.btnExport->click();
            QVERIFY2(told.Texts().value(0).startsWith("Saved pack "), qPrintable(told.Texts().join('\n')));
        }
        const std::string restored = work->File(name + "-again.cab");
        testing::WriteFile(restored, (extension == ".QZK" ? "M" : "") + testing::ReadFile(saved));
        TContentStore again(work->Folder() + name + "-again/");
        QCOMPARE(Emoticons(again, Installed(again, restored, name)), before);
    }

private slots:
    void init() {
        app = std::make_unique<testing::TempFolder>();
        work = std::make_unique<testing::TempFolder>();
        fs::create_directories(app->Path() / "Preview");
        InstallGlobal(std::make_unique<TGlobal>(app->Folder()));
        Global().SkinFile = "Normal";
    }

    void everyBundledEmoticonPackComesBackWithItsPicturesAndShortcuts() {
        int packs = 0;
        for (const std::string& name : testing::BundledPackNames()) {
            const std::string cabinet = work->File(name + ".cab");
            testing::SampleCabinet(name, cabinet);
            TContentStore probe(work->Folder() + name + "-probe/");
            const TStoredPack pack = Installed(probe, cabinet, name);
            if (Emoticons(probe, pack).empty()) continue;
            // Saved as each kind of pack in turn.
            RoundTrip(cabinet, name, std::vector<std::string>{".QZK", ".QZC", ".mco"}[packs % 3]);
            if (QTest::currentTestFailed()) return;
            ++packs;
        }
        QVERIFY(packs >= 8);
    }

    void shortcutsWithBackslashesSpacesAndMarkupComeBackAsTheyWere() {
        const std::string cabinet = work->File("marks.cab");
        testing::MakeCabinetOf(cabinet, {{"content.xml", testing::EmoticonManifest(
                                                             testing::EmoticonItem("cheer.gif", "Cheer", "\\o/") +
                                                             testing::EmoticonItem("shrug.png", "Shrug", "\\_(o)_/ ") +
                                                             testing::EmoticonItem("back.gif", "Back", "a\\\\ b\\") +
                                                             testing::EmoticonItem("hash.gif", "Hash", "#[x]!") +
                                                             testing::EmoticonItem("euro.gif", "Euro", "\xE2\x82\xAC!"))},
                                         {"cheer.gif", "GIF89a cheer"},
                                         {"shrug.png", "\x89PNG\r\n\x1A\n shrug"},
                                         {"back.gif", "GIF89a back"},
                                         {"hash.gif", "GIF89a hash"},
                                         {"euro.gif", "GIF89a euro"}});
        RoundTrip(cabinet, "marks & <more>.CAB", ".QZK");
    }
};

QTEST_MAIN(PidginThemeRoundTripTest)
#include "PidginThemeRoundTripTest.moc"
