#include "ChatFileEncoding.h"

#include "GifWriter.h"
#include "MediaEncoding.h"

#include <QBuffer>
#include <cmath>

namespace quillane {
namespace {

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

// The settings an encoding tries in turn, each giving up more than the one before.
std::vector<int> StepsFor(TChatFormat format) {
    switch (format) {
        case TChatFormat::Gif: return {256, 128, 64, 32, 16};
        case TChatFormat::WebP: return {kLosslessQuality, 90, 75, 60, 45, 30};
        case TChatFormat::Webm: return {90, 75, 60, 45, 30};
        case TChatFormat::Apng:
        case TChatFormat::Png: break;
    }
    return {0};
}

// A step down as the user reads it: "256 colours to 64", "quality 90 to 75", "lossless to quality 90".
QString StepDownText(TChatFormat format, int from, int to) {
    if (format == TChatFormat::Gif) return QString("%1 colours to %2").arg(from).arg(to);
    if (from == kLosslessQuality) return QString("lossless to quality %1").arg(to);
    return QString("quality %1 to %2").arg(from).arg(to);
}

QByteArray Encode(TChatFormat format, const std::vector<QImage>& frames, const std::vector<int>& delays, int setting) {
    switch (format) {
        case TChatFormat::Gif: return Gif(frames, delays, setting);
        case TChatFormat::Apng: return EncodeMedia(frames, delays, TMediaKind::Apng, 100);
        case TChatFormat::WebP: return EncodeMedia(frames, delays, TMediaKind::WebP, setting);
        case TChatFormat::Webm: return EncodeMedia(frames, delays, TMediaKind::Webm, setting);
        case TChatFormat::Png: break;
    }
    return Png(frames.front());
}

// Gives up quality or colours, then frames a second, until the file fits.
TEncodedFile EncodeWithin(TChatFormat format, const std::vector<QImage>& frames, const std::vector<int>& delays, std::size_t limit) {
    TEncodedFile encoded;
    const std::vector<int> settings = StepsFor(format);
    for (const int step : kFrameSteps) {
        if (step > 1 && frames.size() < 2 * static_cast<std::size_t>(step) - 1) break;
        std::vector<QImage> kept;
        std::vector<int> keptDelays;
        KeepEvery(step, frames, delays, kept, keptDelays);
        for (const int setting : settings) {
            encoded.bytes = Encode(format, kept, keptDelays, setting);
            if (!Fits(encoded.bytes, limit)) continue;
            if (setting != settings.front()) {
                encoded.changes << StepDownText(format, settings.front(), setting) + " to fit " + BytesText(limit);
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
    if (format == TChatFormat::Png) return EncodePng(frames.front(), limit);
    return EncodeWithin(format, frames, delaysMs, limit);
}

QString BytesText(std::size_t bytes) {
    if (bytes % 1024 == 0) return QString("%1 KiB").arg(bytes / 1024);
    return QString("%1 KB").arg(std::lround(bytes / 1000.0));
}

}  // namespace quillane
