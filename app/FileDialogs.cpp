#include "FileDialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>

namespace quillane {

void CloseCompletionsWithDialog(QFileDialog& dialog) {
    QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog] {
        for (QCompleter* completer : dialog.findChildren<QCompleter*>()) completer->popup()->hide();
    });
}

}  // namespace quillane
