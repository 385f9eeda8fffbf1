#pragma once

// The groups of window tests, each in a file of its own, and what they share.

#include "FaultSupport.h"
#include "FrmMainU.h"
#include "ModalAnswer.h"
#include "WinksGlobal.h"

#include <QObject>
#include <QtTest>
#include <memory>

namespace quillane::testing {

// An application folder that a fault can be put under: content.dat of 57
// packs, Config.ini, the previews' folder; and the main window opened on it.
class FaultyAppFolder {
public:
    FaultyAppFolder() {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(temp.Folder() + "data"));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(temp.Folder() + "tmp"));
        std::filesystem::create_directories(temp.Folder() + "tmp");
        std::filesystem::permissions(temp.Folder() + "tmp", std::filesystem::perms::owner_all);
    }
    ~FaultyAppFolder() { qunsetenv("XDG_RUNTIME_DIR"); }

    std::string App() const { return temp.Folder() + "app"; }
    std::string AppFile(const std::string& name) const { return App() + "/" + name; }

    // Lays out the folder's files (call it with the fault's file system mounted).
    void Populate(const std::string& downloadBase) {
        WriteFile(AppFile("content.dat"), CatalogueOf(57));
        WriteFile(AppFile("Config.ini"), "[Config]\r\nCurrentWinks=3\r\nSkinFile=Normal\r\nDownloadBase=" +
                                             downloadBase + "\r\n");
        std::filesystem::create_directories(AppFile("Preview"));
    }

    std::unique_ptr<TFrmMain> OpenWindow() {
        InstallGlobal(std::make_unique<TGlobal>(App() + "/"));
        return std::make_unique<TFrmMain>();
    }

    TempFolder temp;
};

}  // namespace quillane::testing

class DiskFullWindowTest : public QObject {
    Q_OBJECT
private slots:
    void aSettingOnAFullDiskShowsTheErrorAndKeepsConfigIni();
    void anUpdateOnAFullDiskFailsAndKeepsTheCatalogue();
};

class ReadOnlyWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithoutWritingAnything();
    void aSettingShowsTheErrorAndKeepsConfigIni();
    void savingAListShowsTheErrorAndWritesNothing();
    void anUpdateFailsAndKeepsTheCatalogue();
};

class NetworkDropTest : public QObject {
    Q_OBJECT
private slots:
    void aCatalogueCutOffMidwayKeepsTheOldOne_data();
    void aCatalogueCutOffMidwayKeepsTheOldOne();
};
