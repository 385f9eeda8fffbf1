// The Packs Creator's close: lists that have changed since the window opened
// or last generated a pack are not thrown away without a question.
#include "PacksMarkerU.h"

#include "ErrorBox.h"

namespace quillane {

void TFrmPacksCreator::reject() {
    const int pictures = PictureCount();
    if (pictures > 0 && Contents() != saved_) {
        const QString held = pictures == 1 ? QString("1 picture") : QString::number(pictures) + " pictures";
        const auto answer = ShowMessageBox(this, QMessageBox::Question,
                                           "The lists hold " + held +
                                               " and have changed since the Packs Creator opened or last generated a "
                                               "pack. Close it and lose the changes?",
                                           QMessageBox::Yes | QMessageBox::No, "CloseQuestion");
        if (answer != QMessageBox::Yes) return;
    }
    QDialog::reject();
}

}  // namespace quillane
