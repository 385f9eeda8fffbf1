#pragma once

#include <QImage>
#include <QString>
#include <vector>

namespace quillane {

struct TCanvasFrames {
    std::vector<QImage> frames;
    // What was done to the pictures, for the user: "scaled 6x"; empty when nothing.
    QString change;
};

// Places each frame in the middle of a transparent square of `side` pixels.
// A picture smaller than the square is scaled by the largest whole factor
// that fits, each pixel becoming a block, so that pixel art stays sharp; a
// larger one is scaled down smoothly to fit. The art keeps `margin` pixels
// inside the square's edge. A `side` of 0 keeps the frames.
TCanvasFrames FitOnCanvas(const std::vector<QImage>& frames, int side, int margin = 0);

}  // namespace quillane
