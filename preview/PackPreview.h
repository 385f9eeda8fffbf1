#pragma once

#include "PreviewContents.h"

#include <QImage>
#include <memory>
#include <string>

namespace quillane {

// A pack ready to be shown: what it holds, read into memory, and its still
// picture decoded, so that the window only has to paint it.
struct TPackPreview {
    TPreviewContents contents;
    QImage still;

    std::size_t Bytes() const;
};

// Reads and decodes a pack file for its preview. Touches no window: it runs
// in the preview's job, off the window's thread.
std::shared_ptr<const TPackPreview> PreparePackPreview(const std::string& packPath);

// A movie file (a display picture's preview) with the still picture of its
// pack, when the pack is on this computer (`packPath` may be empty). A movie
// that cannot be read leaves the contents empty (Nothing).
std::shared_ptr<const TPackPreview> PrepareMoviePreview(const std::string& moviePath, const std::string& packPath);

}  // namespace quillane
