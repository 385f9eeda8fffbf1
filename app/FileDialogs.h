#pragma once

#include <QString>

class QFileDialog;

namespace quillane {

// Closes the dialog's list of completions whenever the dialog closes. Left
// open (it stays up when Enter takes a typed name while the list shows), it
// would take every key from the window that the dialog returns to.
void CloseCompletionsWithDialog(QFileDialog& dialog);

// Starts the dialog in the folder where the dialogs of this purpose were last
// accepted, in this session or an earlier one, or in the fallback when there
// is none or it is gone. Call it just before the dialog is shown; the folder is
// kept (under [Folders] in the settings file) when the dialog is accepted.
void StartInLastFolder(QFileDialog& dialog, const char* purpose, const QString& fallback = {});

}  // namespace quillane
