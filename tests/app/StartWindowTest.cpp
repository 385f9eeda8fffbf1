#include "FrmInstallU.h"
#include "FrmMainU.h"
#include "StartWindow.h"
#include "TempFolder.h"
#include "WindowTestMain.h"
#include "WinksGlobal.h"

#include <QApplication>
#include <QtTest>
#include <cstdlib>

using namespace quillane;

class StartWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        data = std::make_unique<testing::TempFolder>();
        app = std::make_unique<testing::TempFolder>();
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data->Path().string()));
        testing::WriteFile(app->File("content.dat"), "<ContentList><Winks/></ContentList>");
        InstallGlobal(std::make_unique<TGlobal>(app->Folder()));
    }

    void withoutArgumentTheMainWindowOpensAndRegistersTheFileTypes() {
        const auto window = CreateStartWindow();
        QVERIFY(qobject_cast<TFrmMain*>(window.get()));
        QCOMPARE(window->windowTitle(), QString("Quillane"));
        QVERIFY(std::filesystem::exists(data->Folder() + "applications/quillane.desktop"));
    }

    void withAPackTheInstallWindowOpensAndNothingIsRegistered() {
        Global().PackToInstall = app->File("pack.QZK");
        const auto window = CreateStartWindow();
        QVERIFY(qobject_cast<TFrmInstall*>(window.get()));
        QCOMPARE(window->windowTitle(), QString("Quillane"));
        QVERIFY(!std::filesystem::exists(data->Folder() + "applications/quillane.desktop"));
    }

    void withAFolderTheMainWindowShowsItsPacks() {
        testing::WriteFile(app->File("packs/old.QZK"), "no cabinet");
        Global().PackToInstall = app->File("packs");
        const auto window = CreateStartWindow();
        auto* main = qobject_cast<TFrmMain*>(window.get());
        QVERIFY(main && main->CollectionShown());
        QVERIFY(Global().PackToInstall.empty());
        QCOMPARE(window->windowTitle(), QString::fromStdString("Quillane - " + app->File("packs")));
    }

private:
    std::unique_ptr<testing::TempFolder> data;
    std::unique_ptr<testing::TempFolder> app;
};

QUILLANE_WINDOW_TEST_MAIN(StartWindowTest)
#include "StartWindowTest.moc"
