#include "FlashView.h"
#include "StartWindow.h"
#include "WinksGlobal.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    quillane::PrepareFlashPlayer();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillane"));

    quillane::InstallGlobal(std::make_unique<quillane::TGlobal>());
    // Only the first argument counts: a pack file or a pack URL to install.
    quillane::Global().PackToInstall = argc > 1 ? argv[1] : "";

    const auto window = quillane::CreateStartWindow();
    window->show();
    return QApplication::exec();
}
