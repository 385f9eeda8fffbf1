#pragma once

#include <QImage>
#include <QStringList>
#include <vector>

namespace quillane {

struct TTimedFrames {
    std::vector<QImage> frames;
    std::vector<int> delaysMs;
    // What was changed, for the user: "cut from 4.2 s to 3 s", "50 frames a second to 30".
    QStringList changes;
};

// An animation made to run at most `longestSeconds` (0 for any length): cut
// at the limit, or sped up to fit when `speedUp`; and shown at most
// `highestFrameRate` frames a second (0 for any rate), a frame that comes
// sooner merged into the one before it.
TTimedFrames FitTiming(const std::vector<QImage>& frames, const std::vector<int>& delaysMs, double longestSeconds,
                       double highestFrameRate, bool speedUp);

}  // namespace quillane
