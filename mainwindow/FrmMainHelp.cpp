// The Help and Tools commands of the main window.
#include "FrmMainU.h"

#include "ChatExport.h"
#include "ErrorBox.h"
#include "FrmHelp.h"
#include "FrmInstalledContent.h"
#include "PacksMarkerU.h"
#include "uAbout.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

namespace quillane {

void TFrmMain::AddHelpContents(QMenu* help) {
    QAction* contents = help->addAction("Quillane &Help");
    contents->setObjectName("actHelp");
    contents->setShortcut(Qt::Key_F1);
    contents->setStatusTip("How to use Quillane");
    connect(contents, &QAction::triggered, this, [this] { ShowHelp(this); });
    help->addSeparator();
}

void TFrmMain::actHomeExecute() {
    if (QDesktopServices::openUrl(QUrl(kHomePage))) return;
    // Without a browser the address is still of use: the user can copy it.
    QMessageBox box(QMessageBox::Information, kApplicationTitle,
                    QString("No web browser could be started. Our web site is at:\n\n") + kHomePage, QMessageBox::Ok,
                    this);
    box.setObjectName("HomePageBox");
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

void TFrmMain::actPackMarkExecute() {
    RunPacksCreator(this);
}

void TFrmMain::actInstalledContentExecute() {
    ShowInstalledContent(this)->SetChatExport([this](const TStoredPack& pack, const std::string& storeFolder, QWidget* over) {
        ExportForChatProgram(StoredPackSource(pack, storeFolder), over);
    });
}

void TFrmMain::actAboutExecute() {
    TFrmAbout about(this);
    about.exec();
}

}  // namespace quillane
