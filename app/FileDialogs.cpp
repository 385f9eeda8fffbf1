#include "FileDialogs.h"

#include "ProfileFile.h"
#include "WinksGlobal.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <exception>

namespace quillane {
namespace {

const char* const kFoldersSection = "Folders";
// The purpose whose folder the dialog keeps when accepted.
const char* const kPurposeProperty = "quillanePurpose";

// The folder of what was chosen (a path typed whole leaves the dialog's own
// folder where it was), or the folder itself when a folder was chosen.
QString ChosenFolder(const QFileDialog& dialog) {
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return dialog.directory().absolutePath();
    const QFileInfo first(chosen.constFirst());
    return dialog.fileMode() == QFileDialog::Directory ? first.absoluteFilePath() : first.absolutePath();
}

void KeepFolder(const QFileDialog& dialog) {
    const QString folder = ChosenFolder(dialog);
    // A line break in a folder's name would end the settings line early.
    if (folder.contains('\n') || folder.contains('\r')) return;
    try {
        ProfileFile(Global().ConfigFile)
            .WriteString(kFoldersSection, dialog.property(kPurposeProperty).toString().toStdString(), folder.toStdString());
    } catch (const std::exception&) {
        // A folder not kept only means the next dialog starts elsewhere.
    }
}

}  // namespace

void CloseCompletionsWithDialog(QFileDialog& dialog) {
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog] {
        for (QCompleter* completer : dialog.findChildren<QCompleter*>()) completer->popup()->hide();
    });
}

void StartInLastFolder(QFileDialog& dialog, const char* purpose, const QString& fallback) {
    if (!dialog.property(kPurposeProperty).isValid()) {
        QObject::connect(&dialog, &QDialog::accepted, &dialog, [&dialog] { KeepFolder(dialog); });
    }
    dialog.setProperty(kPurposeProperty, QString(purpose));
    const QString last = QString::fromStdString(ProfileFile(Global().ConfigFile).ReadString(kFoldersSection, purpose, ""));
    if (!last.isEmpty() && QFileInfo(last).isDir()) {
        dialog.setDirectory(last);
    } else if (!fallback.isEmpty()) {
        dialog.setDirectory(fallback);
    }
}

}  // namespace quillane
