#include "ChatExportCommand.h"
#include "CollectionListing.h"
#include "CommandLine.h"
#include "FlashView.h"
#include "StartWindow.h"
#include "WinksGlobal.h"

#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // Answered before any window or display is needed.
    if (argc > 1) {
        if (const auto information = quillane::CommandLineInformation(argv[1], QUILLANE_VERSION)) {
            std::fputs(information->c_str(), stdout);
            return 0;
        }
    }
    // An export from the command line opens no window: the player renders winks off the screen.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (quillane::IsChatExportCommand(arguments)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        quillane::PrepareFlashPlayer();
        QApplication application(argc, argv);
        quillane::InstallGlobal(std::make_unique<quillane::TGlobal>());
        return quillane::RunChatExportCommand(arguments);
    }
    // So does a listing of a folder of packs.
    if (quillane::IsListCommand(arguments)) {
        QCoreApplication application(argc, argv);
        return quillane::RunListCommand(arguments);
    }
    quillane::PrepareFlashPlayer();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillane"));
    // The installed desktop entry, so that desktops show its name and icon for the window.
    QApplication::setDesktopFileName(QStringLiteral(QUILLANE_DESKTOP_ID));

    quillane::InstallGlobal(std::make_unique<quillane::TGlobal>());
    // Only the first argument counts: a pack file or a pack URL to install, or a folder of packs to show.
    quillane::Global().PackToInstall = argc > 1 ? argv[1] : "";

    const auto window = quillane::CreateStartWindow();
    window->show();
    return QApplication::exec();
}
