#pragma once

class QFileDialog;

namespace quillane {

// Closes the dialog's list of completions whenever the dialog closes. Left
// open (it stays up when Enter takes a typed name while the list shows), it
// would take every key from the window that the dialog returns to.
void CloseCompletionsWithDialog(QFileDialog& dialog);

}  // namespace quillane
