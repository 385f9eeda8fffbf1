// A full disk under the application folder, as the main window meets it.
#include "FaultWindowTests.h"
#include "LocalSite.h"

#include <QAction>
#include <QToolBar>

using namespace quillane;
namespace fs = std::filesystem;

void DiskFullWindowTest::aSettingOnAFullDiskShowsTheErrorAndKeepsConfigIni() {
    testing::FaultyAppFolder folder;
    testing::SmallDisk disk(folder.App(), 128);
    if (!disk.Error().empty()) QSKIP(disk.Error().c_str());
    folder.Populate("http://127.0.0.1:9/");
    const auto window = folder.OpenWindow();
    disk.FillLeaving(0);
    const auto before = testing::Snapshot(folder.App());
    const auto box = testing::AnswerMessageBox();
    window->mnuToolbar->trigger();
    QVERIFY(box->seen);
    QCOMPARE(box->text, QString::fromStdString("Unable to write to " + folder.AppFile("Config.ini") + "."));
    QCOMPARE(box->icon, QMessageBox::Critical);
    QCOMPARE(box->title, QString("Quillane"));
    QVERIFY(testing::Snapshot(folder.App()) == before);
}

void DiskFullWindowTest::anUpdateOnAFullDiskFailsAndKeepsTheCatalogue() {
    testing::TempFolder siteFolder;
    testing::WriteFile(siteFolder.File("contentcount.txt"), "3000\r\n");
    // Some 200 KiB: more than the disk has left.
    testing::WriteFile(siteFolder.File("nmpcontent.dat"), testing::CatalogueOf(3000));
    const testing::LocalSite site(siteFolder.Path().string());
    testing::FaultyAppFolder folder;
    testing::SmallDisk disk(folder.App(), 256);
    if (!disk.Error().empty()) QSKIP(disk.Error().c_str());
    folder.Populate(site.Base());
    const auto window = folder.OpenWindow();
    disk.FillLeaving(32 * 1024);
    auto before = testing::Snapshot(folder.App());

    testing::MessageBoxRecorder boxes;
    window->actUpgrade->trigger();
    QCOMPARE(window->StatusText(), QString("updated unsuccessfully"));
    QVERIFY2(boxes.Texts().isEmpty(), qPrintable(boxes.Texts().join("; ")));
    QCOMPARE(site.Requests(), (std::vector<std::string>{"/contentcount.txt", "/nmpcontent.dat"}));
    auto after = testing::Snapshot(folder.App());
    // The count file is the one thing fetched that fitted.
    QCOMPARE(after["contentcount.txt"], std::string("3000\r\n"));
    after.erase("contentcount.txt");
    QVERIFY(after == before);
    QCOMPARE(testing::ReadFile(folder.AppFile("content.dat")), testing::CatalogueOf(57));
    QCOMPARE(Global().CurrentWinks, 57);
    QVERIFY(window->actUpgrade->isEnabled());
}
