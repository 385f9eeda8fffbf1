#pragma once

#include <QString>

class QFileDialog;

namespace quillane {

// Gives a file dialog its filters from one text of pairs, each a
// description and its patterns: "All (*.a;*.b)|*.a;*.b|B files|*.b".
// Patterns are separated by ";" and matched without regard to case, as
// picture and pack files come with either.
void SetDialogFilter(QFileDialog& dialog, const QString& filter);

}  // namespace quillane
