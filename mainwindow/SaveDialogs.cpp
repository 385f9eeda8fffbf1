#include "SaveDialogs.h"

#include "ErrorBox.h"
#include "FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace quillane {

QString ChooseSaveFolder(QWidget* parent, const QString& caption, const QString& objectName, const char* purpose) {
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(objectName);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    StartInLastFolder(dialog, purpose);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString ChooseGifFile(QWidget* parent, const QString& name) {
    QFileDialog dialog(parent, "Save as Animated GIF", QString(), "GIF pictures (*.gif)");
    dialog.setObjectName("dlgSaveGif");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::AnyFile);
    StartInLastFolder(dialog, "SaveGif");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("gif");
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    // The dialog asks about a file it can open; a dangling link of the name is there too, and is replaced itself.
    const QFileInfo entry(chosen);
    if (entry.isSymLink() && !entry.exists()) {
        const auto answer = ShowMessageBox(parent, QMessageBox::Question,
                                           QString("%1 already exists.\nDo you want to replace it?").arg(entry.fileName()),
                                           QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) return {};
    }
    return chosen;
}

}  // namespace quillane
