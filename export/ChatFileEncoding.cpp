#include "ChatFileEncoding.h"

#include "GifWriter.h"

#include <QBuffer>
#include <cmath>

namespace quillane {
namespace {

constexpr int kGifColourSteps[] = {256, 128, 64, 32, 16};
// Frames merged: every frame, every second one, every third one.
constexpr int kFrameSteps[] = {1, 2, 3};

bool Fits(const QByteArray& bytes, std::size_t limit) {
    return limit == 0 || static_cast<std::size_t>(bytes.size()) <= limit;
}

QByteArray Png(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

// Every `step`-th frame, each shown as long as the frames it stands for.
void KeepEvery(int step, const std::vector<QImage>& frames, const std::vector<int>& delays, std::vector<QImage>& keptFrames,
               std::vector<int>& keptDelays) {
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (i % static_cast<std::size_t>(step) == 0) {
            keptFrames.push_back(frames[i]);
            keptDelays.push_back(0);
        }
        keptDelays.back() += delays[i];
    }
}

QByteArray Gif(const std::vector<QImage>& frames, const std::vector<int>& delays, int colours) {
    const QSize size = frames.front().size();
    TGifWriter writer(size.width(), size.height(), TGifWriter::Transparency{colours});
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const QImage rgba = frames[i].convertToFormat(QImage::Format_RGBA8888);
        writer.AddFrame(rgba.constBits(), delays[i]);
    }
    const std::string& bytes = writer.Close();
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

double FramesASecond(std::size_t frames, const std::vector<int>& delays) {
    double total = 0;
    for (int delay : delays) total += delay;
    return total > 0 ? frames * 1000.0 / total : 0;
}

TEncodedFile EncodeGif(const std::vector<QImage>& frames, const std::vector<int>& delays, std::size_t limit) {
    TEncodedFile encoded;
    for (const int step : kFrameSteps) {
        if (step > 1 && frames.size() < 2 * static_cast<std::size_t>(step) - 1) break;
        std::vector<QImage> kept;
        std::vector<int> keptDelays;
        KeepEvery(step, frames, delays, kept, keptDelays);
        for (const int colours : kGifColourSteps) {
            encoded.bytes = Gif(kept, keptDelays, colours);
            if (!Fits(encoded.bytes, limit)) continue;
            if (colours != kGifColourSteps[0]) {
                encoded.changes << QString("256 colours to %1 to fit %2").arg(colours).arg(BytesText(limit));
            }
            if (step > 1) {
                encoded.changes << QString("%1 frames a second to %2")
                                       .arg(std::lround(FramesASecond(frames.size(), delays)))
                                       .arg(std::lround(FramesASecond(kept.size(), keptDelays)));
            }
            return encoded;
        }
    }
    encoded.bytes.clear();
    encoded.failure = QString("cannot be made smaller than %1").arg(BytesText(limit));
    return encoded;
}

TEncodedFile EncodePng(const QImage& picture, std::size_t limit) {
    TEncodedFile encoded;
    encoded.bytes = Png(picture);
    if (Fits(encoded.bytes, limit)) return encoded;
    encoded.bytes = Png(picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::ThresholdAlphaDither));
    if (Fits(encoded.bytes, limit)) {
        encoded.changes << QString("full colour to 256 colours to fit %1").arg(BytesText(limit));
        return encoded;
    }
    encoded.bytes.clear();
    encoded.failure = QString("cannot be made smaller than %1").arg(BytesText(limit));
    return encoded;
}

}  // namespace

TEncodedFile EncodeChatFile(const std::vector<QImage>& frames, const std::vector<int>& delaysMs, TChatFormat format,
                            std::size_t limit) {
    if (format == TChatFormat::Gif) return EncodeGif(frames, delaysMs, limit);
    return EncodePng(frames.front(), limit);
}

QString BytesText(std::size_t bytes) {
    if (bytes % 1024 == 0) return QString("%1 KiB").arg(bytes / 1024);
    return QString("%1 KB").arg(std::lround(bytes / 1000.0));
}

}  // namespace quillane
