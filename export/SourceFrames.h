#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace quillane {

// A pack's picture as frames to export: one for a still picture, each frame
// of an animated GIF with the milliseconds it is shown, all in ARGB with the
// picture's transparency.
struct TSourceFrames {
    std::vector<QImage> frames;
    std::vector<int> delaysMs;
    // Why the picture cannot be exported; empty when it was read.
    QString failure;

    bool Animated() const { return frames.size() > 1; }
};

// Pictures beyond these are no emoticons: they are left out, not read.
inline constexpr int kLargestSourceSide = 4096;
inline constexpr int kMostSourceFrames = 1000;

// Reads the picture file as GIF, PNG, JPEG or BMP, by its first bytes only.
TSourceFrames ReadSourceFrames(const QString& path);

}  // namespace quillane
