#include "SourceFrames.h"

#include "PictureReading.h"

#include <QBuffer>
#include <QImageReader>

namespace quillane {
namespace {

// Browsers show a GIF frame without a delay, or a shorter one, for a tenth of a second.
constexpr int kShortestShownDelayMs = 20;
constexpr int kDelayOfQuickFramesMs = 100;

TSourceFrames Failed(const QString& why) {
    TSourceFrames failed;
    failed.failure = why;
    return failed;
}

}  // namespace

TSourceFrames ReadSourceFrames(const QString& path) {
    QByteArray bytes = ReadPictureBytes(path);
    const QByteArray format = PictureFormat(bytes);
    if (format.isEmpty()) return Failed("not a GIF, PNG, JPEG or BMP picture");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (size.width() > kLargestSourceSide || size.height() > kLargestSourceSide) {
        return Failed(QString("%1 x %2 pixels, larger than %3 x %3").arg(size.width()).arg(size.height()).arg(kLargestSourceSide));
    }
    if (reader.imageCount() > kMostSourceFrames) {
        return Failed(QString("%1 frames, more than %2").arg(reader.imageCount()).arg(kMostSourceFrames));
    }
    TSourceFrames read;
    while (static_cast<int>(read.frames.size()) < kMostSourceFrames) {
        QImage frame = reader.read();
        if (frame.isNull()) break;
        const int delay = reader.nextImageDelay();
        read.frames.push_back(frame.convertToFormat(QImage::Format_ARGB32));
        read.delaysMs.push_back(delay < kShortestShownDelayMs ? kDelayOfQuickFramesMs : delay);
        if (!reader.supportsAnimation() || !reader.canRead()) break;
    }
    if (read.frames.empty()) return Failed("damaged: " + reader.errorString());
    return read;
}

}  // namespace quillane
