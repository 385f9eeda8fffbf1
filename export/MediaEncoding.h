#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

namespace quillane {

// The formats FFmpeg's encoders and muxers write for the chat programs.
enum class TMediaKind {
    // Animated PNG, lossless; loops for ever.
    Apng,
    // WebP: still (libwebp) or animated (libwebp_anim) with exact alpha; loops for ever.
    WebP,
    // WEBM with VP9 and its alpha, no sound.
    Webm,
};

// A WebP's quality that keeps every pixel exactly: pixel art is smaller so than lossy.
inline constexpr int kLosslessQuality = 101;

// Encodes the frames (ARGB, each shown for its milliseconds) as the kind, at
// `quality` from 1 to 100 where the format is lossy, or kLosslessQuality for
// a lossless WebP. Raises std::runtime_error when FFmpeg cannot.
QByteArray EncodeMedia(const std::vector<QImage>& frames, const std::vector<int>& delaysMs, TMediaKind kind, int quality);

}  // namespace quillane
