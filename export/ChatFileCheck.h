#pragma once

#include "ChatTargets.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <optional>

namespace quillane {

// A written file as a reader finds it.
struct TChatFileFacts {
    int width = 0;
    int height = 0;
    int frames = 0;
    double seconds = 0;
    std::size_t bytes = 0;
};

// Reads the bytes back as the format: giflib for GIF, Qt's reader for PNG,
// libwebp's demuxer for WebP, FFmpeg's demuxers for APNG and WEBM. Nothing
// when they are no such file.
std::optional<TChatFileFacts> ReadChatFileFacts(const QByteArray& bytes, TChatFormat format);

// Why the file breaks the target's limits, read back from its bytes; empty when it keeps them.
QString CheckChatFile(const TChatTarget& target, const QByteArray& bytes, TChatFormat format);

}  // namespace quillane
