#pragma once

#include <QIcon>

class QFileDialog;

namespace quillane {

// The toolbar's pictures, 0 to 12, as the actions number them.
QIcon ToolbarPicture(int index);
// The tree's pictures: 0 for categories, 1 for packs.
QIcon TreePicture(int index);
QIcon ProgramIcon();

// The four pack file filters of the open dialogs; patterns are matched
// without regard to case, as pack files come with either.
void SetPackFileFilters(QFileDialog& dialog);

}  // namespace quillane
