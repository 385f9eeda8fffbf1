// The Help and Tools commands of the main window.
#include "FrmMainU.h"

#include "FrmInstalledContent.h"
#include "PacksMarkerU.h"
#include "uAbout.h"

#include <QDesktopServices>
#include <QUrl>

namespace quillane {

void TFrmMain::actHomeExecute() {
    QDesktopServices::openUrl(QUrl(kHomePage));
}

void TFrmMain::actPackMarkExecute() {
    RunPacksCreator(this);
}

void TFrmMain::actInstalledContentExecute() {
    ShowInstalledContent(this);
}

void TFrmMain::actAboutExecute() {
    TFrmAbout about(this);
    about.exec();
}

}  // namespace quillane
