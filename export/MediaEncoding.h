#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

namespace quillane {

// The formats FFmpeg's encoders and muxers write for the chat programs.
enum class TMediaKind {
    // Animated PNG, lossless; loops for ever.
    Apng,
    // WebP: still (libwebp) or animated (libwebp_anim), lossy with exact alpha; loops for ever.
    WebP,
    // WEBM with VP9 and its alpha, no sound.
    Webm,
};

// Encodes the frames (ARGB, each shown for its milliseconds) as the kind, at
// `quality` from 1 to 100 where the format is lossy. Raises std::runtime_error
// when FFmpeg cannot.
QByteArray EncodeMedia(const std::vector<QImage>& frames, const std::vector<int>& delaysMs, TMediaKind kind, int quality);

}  // namespace quillane
