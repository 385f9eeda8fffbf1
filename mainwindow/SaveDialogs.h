#pragma once

#include <QString>

class QWidget;

namespace quillane {

// The folder something is saved into, chosen in a dialog that starts where
// one of its `purpose` was last accepted; empty when cancelled.
QString ChooseSaveFolder(QWidget* parent, const QString& caption, const QString& objectName, const char* purpose);

// The GIF file a movie is saved as, offered as `name`; empty when cancelled.
// A name already taken is asked about, a dangling link as much as a file.
QString ChooseGifFile(QWidget* parent, const QString& name);

}  // namespace quillane
