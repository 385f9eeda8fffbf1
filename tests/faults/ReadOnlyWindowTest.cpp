// A read-only application folder, as the main window meets it.
#include "FaultWindowTests.h"
#include "LocalSite.h"

#include <QAction>

using namespace quillane;
namespace fs = std::filesystem;

void ReadOnlyWindowTest::startsWithoutWritingAnything() {
    testing::FaultyAppFolder folder;
    folder.Populate("http://127.0.0.1:9/");
    testing::ReadOnlyFolder readOnly(folder.App());
    if (!readOnly.Ready()) QSKIP(readOnly.Error().c_str());
    const auto before = testing::Snapshot(folder.App());
    testing::MessageBoxRecorder boxes;
    const auto window = folder.OpenWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTest::qWait(100);
    QCOMPARE(window->StatusText(), QString("57 Quillane pack in the list."));
    QVERIFY2(boxes.Texts().isEmpty(), qPrintable(boxes.Texts().join("; ")));
    QVERIFY(testing::Snapshot(folder.App()) == before);
}

void ReadOnlyWindowTest::aSettingShowsTheErrorAndKeepsConfigIni() {
    testing::FaultyAppFolder folder;
    folder.Populate("http://127.0.0.1:9/");
    testing::ReadOnlyFolder readOnly(folder.App());
    if (!readOnly.Ready()) QSKIP(readOnly.Error().c_str());
    const auto before = testing::Snapshot(folder.App());
    const auto window = folder.OpenWindow();
    const auto box = testing::AnswerMessageBox();
    window->meuStatusBar->trigger();
    QVERIFY(box->seen);
    QCOMPARE(box->text, QString::fromStdString("Unable to write to " + folder.AppFile("Config.ini") + "."));
    QCOMPARE(box->icon, QMessageBox::Critical);
    QVERIFY(testing::Snapshot(folder.App()) == before);
}

void ReadOnlyWindowTest::savingAListShowsTheErrorAndWritesNothing() {
    testing::FaultyAppFolder folder;
    folder.Populate("http://127.0.0.1:9/");
    testing::ReadOnlyFolder readOnly(folder.App());
    if (!readOnly.Ready()) QSKIP(readOnly.Error().c_str());
    const auto before = testing::Snapshot(folder.App());
    const auto window = folder.OpenWindow();
    const std::string list = folder.AppFile("saved.mpl");
    testing::AnswerFileDialog(list);
    std::shared_ptr<testing::SeenBox> box;
    // The error box follows the file dialog.
    QTimer::singleShot(0, [&box] { box = testing::AnswerMessageBox(); });
    window->actSaveAs->trigger();
    QVERIFY(box && box->seen);
    QCOMPARE(box->text, QString::fromStdString("Cannot write to " + list + "."));
    QCOMPARE(box->icon, QMessageBox::Critical);
    QVERIFY(testing::Snapshot(folder.App()) == before);
}

void ReadOnlyWindowTest::anUpdateFailsAndKeepsTheCatalogue() {
    testing::TempFolder siteFolder;
    testing::WriteFile(siteFolder.File("contentcount.txt"), "60\r\n");
    testing::WriteFile(siteFolder.File("nmpcontent.dat"), testing::CatalogueOf(60));
    const testing::LocalSite site(siteFolder.Path().string());
    testing::FaultyAppFolder folder;
    folder.Populate(site.Base());
    testing::ReadOnlyFolder readOnly(folder.App());
    if (!readOnly.Ready()) QSKIP(readOnly.Error().c_str());
    const auto before = testing::Snapshot(folder.App());
    const auto window = folder.OpenWindow();
    testing::MessageBoxRecorder boxes;
    window->actUpgrade->trigger();
    QCOMPARE(window->StatusText(), QString("updated unsuccessfully"));
    QVERIFY2(boxes.Texts().isEmpty(), qPrintable(boxes.Texts().join("; ")));
    QVERIFY(testing::Snapshot(folder.App()) == before);
}
