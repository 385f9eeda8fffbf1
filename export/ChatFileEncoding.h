#pragma once

#include "ChatTargets.h"

#include <QByteArray>
#include <QImage>
#include <QStringList>
#include <cstddef>
#include <vector>

namespace quillane {

struct TEncodedFile {
    QByteArray bytes;
    // What was given up to fit, for the user: "256 colours to 64 to fit 256 KiB".
    QStringList changes;
    // Why it cannot be made to fit; empty when it fits.
    QString failure;
};

// Encodes the frames (ARGB, transparency kept exactly) in the format, within
// `limit` bytes (0 for any size). A GIF gives up colours, a WebP (lossless
// first) or WEBM quality, then each of them and an APNG frames a second, until it fits; a
// PNG gives up full colour for 256 colours. Nothing is ever returned over the limit.
TEncodedFile EncodeChatFile(const std::vector<QImage>& frames, const std::vector<int>& delaysMs, TChatFormat format,
                            std::size_t limit);

// A byte limit as the user reads it: "256 KiB", "128 KB".
QString BytesText(std::size_t bytes);

}  // namespace quillane
