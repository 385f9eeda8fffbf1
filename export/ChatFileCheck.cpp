#include "ChatFileCheck.h"

#include "ChatFileEncoding.h"

#include <QBuffer>
#include <QImageReader>
#include <gif_lib.h>
#include <webp/demux.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <cstring>
#include <memory>

namespace quillane {
namespace {

struct TReadPosition {
    const QByteArray* bytes;
    qsizetype at = 0;
};

// Copies up to `wanted` bytes on from the position; how many there were.
int TakeBytes(TReadPosition& position, std::uint8_t* into, int wanted) {
    const qsizetype count = std::min<qsizetype>(wanted, position.bytes->size() - position.at);
    std::memcpy(into, position.bytes->constData() + position.at, static_cast<std::size_t>(count));
    position.at += count;
    return static_cast<int>(count);
}

int ReadFromBytes(GifFileType* gif, GifByteType* into, int wanted) {
    return TakeBytes(*static_cast<TReadPosition*>(gif->UserData), into, wanted);
}

std::optional<TChatFileFacts> GifFacts(const QByteArray& bytes) {
    TReadPosition position{&bytes};
    int error = 0;
    const auto close = [](GifFileType* gif) { DGifCloseFile(gif, nullptr); };
    std::unique_ptr<GifFileType, decltype(close)> gif(DGifOpen(&position, ReadFromBytes, &error), close);
    if (!gif || DGifSlurp(gif.get()) != GIF_OK) return std::nullopt;
    double seconds = 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock control{};
        if (DGifSavedExtensionToGCB(gif.get(), i, &control) == GIF_OK) seconds += control.DelayTime / 100.0;
    }
    return TChatFileFacts{gif->SWidth, gif->SHeight, gif->ImageCount, seconds, static_cast<std::size_t>(bytes.size())};
}

std::optional<TChatFileFacts> PngFacts(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage picture = reader.read();
    if (picture.isNull()) return std::nullopt;
    return TChatFileFacts{picture.width(), picture.height(), 1, 0, static_cast<std::size_t>(bytes.size())};
}

std::optional<TChatFileFacts> WebPFacts(const QByteArray& bytes) {
    const WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
    const std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)> demux(WebPDemux(&data), WebPDemuxDelete);
    if (!demux) return std::nullopt;
    TChatFileFacts facts{static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH)),
                         static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT)),
                         static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT)), 0,
                         static_cast<std::size_t>(bytes.size())};
    WebPIterator frame{};
    if (WebPDemuxGetFrame(demux.get(), 1, &frame)) {
        do facts.seconds += frame.duration / 1000.0;
        while (WebPDemuxNextFrame(&frame));
        WebPDemuxReleaseIterator(&frame);
    }
    return facts;
}

int ReadPacketFromBytes(void* opaque, std::uint8_t* into, int wanted) {
    const int count = TakeBytes(*static_cast<TReadPosition*>(opaque), into, wanted);
    return count > 0 ? count : AVERROR_EOF;
}

std::int64_t SeekInBytes(void* opaque, std::int64_t offset, int whence) {
    auto* position = static_cast<TReadPosition*>(opaque);
    if (whence == AVSEEK_SIZE) return position->bytes->size();
    const std::int64_t from = (whence & ~AVSEEK_FORCE) == SEEK_CUR ? position->at : (whence & ~AVSEEK_FORCE) == SEEK_END ? position->bytes->size() : 0;
    if (from + offset < 0 || from + offset > position->bytes->size()) return -1;
    position->at = from + offset;
    return position->at;
}

// APNG and WEBM through FFmpeg's own demuxers, from memory.
std::optional<TChatFileFacts> MediaFacts(const QByteArray& bytes, const char* demuxer) {
    constexpr int kBufferSize = 4096;
    TReadPosition position{&bytes};
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kBufferSize));
    const auto freeIo = [](AVIOContext* io) {
        av_freep(&io->buffer);
        avio_context_free(&io);
    };
    std::unique_ptr<AVIOContext, decltype(freeIo)> io(avio_alloc_context(buffer, kBufferSize, 0, &position, ReadPacketFromBytes, nullptr, SeekInBytes), freeIo);
    if (!io) {
        av_free(buffer);
        return std::nullopt;
    }
    AVFormatContext* opened = avformat_alloc_context();
    opened->pb = io.get();
    if (avformat_open_input(&opened, nullptr, av_find_input_format(demuxer), nullptr) < 0) return std::nullopt;
    const auto closeInput = [](AVFormatContext* format) { avformat_close_input(&format); };
    const std::unique_ptr<AVFormatContext, decltype(closeInput)> format(opened, closeInput);
    if (avformat_find_stream_info(format.get(), nullptr) < 0 || format->nb_streams != 1) return std::nullopt;
    const AVStream* stream = format->streams[0];
    TChatFileFacts facts{stream->codecpar->width, stream->codecpar->height, 0, 0, static_cast<std::size_t>(bytes.size())};
    AVPacket* packet = av_packet_alloc();
    std::int64_t end = 0;
    while (av_read_frame(format.get(), packet) >= 0) {
        ++facts.frames;
        end = std::max(end, packet->pts + packet->duration);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    facts.seconds = end * av_q2d(stream->time_base);
    return facts;
}

}  // namespace

std::optional<TChatFileFacts> ReadChatFileFacts(const QByteArray& bytes, TChatFormat format) {
    switch (format) {
        case TChatFormat::Gif: return GifFacts(bytes);
        case TChatFormat::Apng: return MediaFacts(bytes, "apng");
        case TChatFormat::WebP: return WebPFacts(bytes);
        case TChatFormat::Webm: return MediaFacts(bytes, "matroska,webm");
        case TChatFormat::Png: break;
    }
    return PngFacts(bytes);
}

QString CheckChatFile(const TChatTarget& target, const QByteArray& bytes, TChatFormat format) {
    const std::optional<TChatFileFacts> facts = ReadChatFileFacts(bytes, format);
    if (!facts || facts->frames < 1) return QString("not a readable %1 file").arg(QString::fromStdString(ExtensionOf(format)).toUpper());
    if (target.side > 0 && (facts->width != target.side || facts->height != target.side)) {
        return QString("%1 x %2 pixels, not %3 x %3").arg(facts->width).arg(facts->height).arg(target.side);
    }
    const bool animated = facts->frames > 1;
    const std::size_t limit = animated ? target.animatedBytes : target.stillBytes;
    if (limit > 0 && facts->bytes > limit) return QString("%1 bytes, more than %2").arg(facts->bytes).arg(BytesText(limit));
    // A hundredth of a second of rounding in the container is no excess.
    if (animated && target.longestSeconds > 0 && facts->seconds > target.longestSeconds + 0.01) {
        return QString("%1 s long, more than %2 s").arg(facts->seconds, 0, 'g', 3).arg(target.longestSeconds);
    }
    if (animated && target.highestFrameRate > 0 && facts->seconds > 0 && facts->frames / facts->seconds > target.highestFrameRate + 0.5) {
        return QString("%1 frames a second, more than %2").arg(facts->frames / facts->seconds, 0, 'f', 0).arg(target.highestFrameRate);
    }
    return {};
}

}  // namespace quillane
