#include "FrameTiming.h"

#include <cmath>
#include <numeric>

namespace quillane {
namespace {

QString Seconds(double milliseconds) { return QString::number(milliseconds / 1000.0, 'g', 3) + " s"; }

double Rate(std::size_t frames, double milliseconds) { return milliseconds > 0 ? frames * 1000.0 / milliseconds : 0; }

}  // namespace

TTimedFrames FitTiming(const std::vector<QImage>& frames, const std::vector<int>& delaysMs, double longestSeconds,
                       double highestFrameRate, bool speedUp) {
    TTimedFrames timed{frames, delaysMs, {}};
    const double total = std::accumulate(delaysMs.begin(), delaysMs.end(), 0.0);
    const double longest = longestSeconds * 1000.0;
    if (longest > 0 && total > longest && frames.size() > 1) {
        if (speedUp) {
            for (int& delay : timed.delaysMs) delay = static_cast<int>(std::floor(delay * longest / total));
            timed.changes << "sped up from " + Seconds(total) + " to " + Seconds(longest);
        } else {
            timed.frames.clear();
            timed.delaysMs.clear();
            double at = 0;
            for (std::size_t i = 0; i < frames.size() && at < longest; at += delaysMs[i], ++i) {
                timed.frames.push_back(frames[i]);
                timed.delaysMs.push_back(static_cast<int>(std::min<double>(delaysMs[i], longest - at)));
            }
            timed.changes << "cut from " + Seconds(total) + " to " + Seconds(longest);
        }
    }
    if (highestFrameRate > 0 && timed.frames.size() > 1) {
        const int shortest = static_cast<int>(std::ceil(1000.0 / highestFrameRate));
        std::vector<QImage> merged;
        std::vector<int> mergedDelays;
        for (std::size_t i = 0; i < timed.frames.size(); ++i) {
            if (!merged.empty() && mergedDelays.back() < shortest) {
                mergedDelays.back() += timed.delaysMs[i];
                continue;
            }
            merged.push_back(timed.frames[i]);
            mergedDelays.push_back(timed.delaysMs[i]);
        }
        if (merged.size() < timed.frames.size()) {
            const double length = std::accumulate(mergedDelays.begin(), mergedDelays.end(), 0.0);
            timed.changes << QString("%1 frames a second to %2")
                                 .arg(std::lround(Rate(timed.frames.size(), length)))
                                 .arg(std::lround(Rate(merged.size(), length)));
            timed.frames = std::move(merged);
            timed.delaysMs = std::move(mergedDelays);
        }
    }
    return timed;
}

}  // namespace quillane
