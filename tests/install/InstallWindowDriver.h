#pragma once

#include "ContentStore.h"
#include "FrmInstallU.h"
#include "WindowTestFolders.h"
#include "WinksGlobal.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace quillane::testing {

// What the install window showed when it came to rest.
struct InstallOutcome {
    QString label;
    QString button;
    int progress = -1;
    bool closed = false;
    bool installed = false;
};

// An install window on a fresh application folder and store, run as the user would see it.
class InstallWindowDriver {
public:
    InstallWindowDriver() {
        qputenv("HOME", QByteArray::fromStdString(folders.temp.Folder() + "home"));
        InstallGlobal(std::make_unique<TGlobal>(folders.app.Folder()));
    }

    std::string AppFile(const std::string& name) const { return folders.AppFile(name); }
    std::string StoreFolder() const { return folders.temp.Folder() + "data/Quillane/Messenger/"; }
    std::vector<TStoredPack> StoredPacks() const {
        std::error_code error;
        if (!std::filesystem::exists(StoreFolder(), error)) return {};
        return TContentStore(StoreFolder()).Packs();
    }

    // Opens the window for the source and waits until it closed or showed a result.
    InstallOutcome Run(const std::string& source, int timeoutMs = 20000) {
        Global().PackToInstall = source;
        window = std::make_unique<TFrmInstall>();
        window->show();
        auto* label = window->findChild<QLabel*>("labInstallState");
        // A window still waiting when the time is up is an outcome too: the test looks at it.
        static_cast<void>(QTest::qWaitFor(
            [&] { return !window->isVisible() || label->text() != "Installing,Please wait.."; }, timeoutMs));
        return Outcome();
    }

    InstallOutcome Outcome() const {
        return {window->findChild<QLabel*>("labInstallState")->text(),
                window->findChild<QPushButton*>("btnOk")->text(),
                window->findChild<QProgressBar*>("ProgressBar1")->value(), !window->isVisible(), window->Installed};
    }

    WindowTestFolders folders;
    std::unique_ptr<TFrmInstall> window;
};

}  // namespace quillane::testing
