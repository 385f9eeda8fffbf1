#pragma once

class QWidget;

namespace quillane {

// Grows every caption of a window laid out by hand (its labels and buttons) to
// the size its text needs in this font and skin, keeping its place, and the
// window with them: no caption is cut off, whatever the font.
void FitCaptions(QWidget& window);

}  // namespace quillane
