#include "ChatFileCheck.h"

#include "ChatFileEncoding.h"

#include <QBuffer>
#include <QImageReader>
#include <gif_lib.h>

#include <cstring>
#include <memory>

namespace quillane {
namespace {

struct TReadPosition {
    const QByteArray* bytes;
    qsizetype at = 0;
};

int ReadFromBytes(GifFileType* gif, GifByteType* into, int wanted) {
    auto* position = static_cast<TReadPosition*>(gif->UserData);
    const qsizetype count = std::min<qsizetype>(wanted, position->bytes->size() - position->at);
    std::memcpy(into, position->bytes->constData() + position->at, static_cast<std::size_t>(count));
    position->at += count;
    return static_cast<int>(count);
}

std::optional<TChatFileFacts> GifFacts(const QByteArray& bytes) {
    TReadPosition position{&bytes};
    int error = 0;
    const auto close = [](GifFileType* gif) { DGifCloseFile(gif, nullptr); };
    std::unique_ptr<GifFileType, decltype(close)> gif(DGifOpen(&position, ReadFromBytes, &error), close);
    if (!gif || DGifSlurp(gif.get()) != GIF_OK) return std::nullopt;
    return TChatFileFacts{gif->SWidth, gif->SHeight, gif->ImageCount, static_cast<std::size_t>(bytes.size())};
}

std::optional<TChatFileFacts> PngFacts(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage picture = reader.read();
    if (picture.isNull()) return std::nullopt;
    return TChatFileFacts{picture.width(), picture.height(), 1, static_cast<std::size_t>(bytes.size())};
}

}  // namespace

std::optional<TChatFileFacts> ReadChatFileFacts(const QByteArray& bytes, TChatFormat format) {
    return format == TChatFormat::Gif ? GifFacts(bytes) : PngFacts(bytes);
}

QString CheckChatFile(const TChatTarget& target, const QByteArray& bytes, TChatFormat format) {
    const std::optional<TChatFileFacts> facts = ReadChatFileFacts(bytes, format);
    if (!facts || facts->frames < 1) return QString("not a readable %1 file").arg(QString::fromStdString(ExtensionOf(format)).toUpper());
    if (target.side > 0 && (facts->width != target.side || facts->height != target.side)) {
        return QString("%1 x %2 pixels, not %3 x %3").arg(facts->width).arg(facts->height).arg(target.side);
    }
    const std::size_t limit = facts->frames > 1 ? target.animatedBytes : target.stillBytes;
    if (limit > 0 && facts->bytes > limit) return QString("%1 bytes, more than %2").arg(facts->bytes).arg(BytesText(limit));
    return {};
}

}  // namespace quillane
