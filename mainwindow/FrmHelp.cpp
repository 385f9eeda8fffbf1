#include "FrmHelp.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace quillane {

TFrmHelp::TFrmHelp(QWidget* parent) : QDialog(parent), txtHelp(new QTextBrowser(this)) {
    setObjectName("FrmHelp");
    setWindowTitle("Quillane Help");
    resize(720, 560);
    txtHelp->setObjectName("txtHelp");
    txtHelp->setAccessibleName("Quillane Help");
    // The README's pictures lie beside it in the resources; its web links open in the browser.
    txtHelp->setOpenExternalLinks(true);
    txtHelp->setSource(QUrl("qrc:/help/README.md"), QTextDocument::MarkdownResource);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtHelp);
    skinHelp.ApplyGlobalSkin();
}

void ShowHelp(QWidget* owner) {
    auto* window = owner->findChild<TFrmHelp*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new TFrmHelp(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace quillane
