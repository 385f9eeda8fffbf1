#include "MediaEncoding.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace quillane {
namespace {

// Delays and timestamps in milliseconds.
constexpr AVRational kMilliseconds{1, 1000};

struct FormatFree {
    void operator()(AVFormatContext* format) const { avformat_free_context(format); }
};
struct IoFree {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct CodecFree {
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleFree {
    void operator()(SwsContext* scale) const { sws_freeContext(scale); }
};

// The file in memory, and where the muxer writes: the muxers go back to fill
// in frame counts and durations once they know them, as they do in a file.
struct TMemoryFile {
    QByteArray bytes;
    std::int64_t at = 0;
};

int WriteToMemory(void* opaque, std::uint8_t* data, int size) {
    auto* file = static_cast<TMemoryFile*>(opaque);
    if (file->at + size > file->bytes.size()) file->bytes.resize(static_cast<qsizetype>(file->at + size));
    std::memcpy(file->bytes.data() + file->at, data, static_cast<std::size_t>(size));
    file->at += size;
    return size;
}

std::int64_t SeekInMemory(void* opaque, std::int64_t offset, int whence) {
    auto* file = static_cast<TMemoryFile*>(opaque);
    if (whence == AVSEEK_SIZE) return file->bytes.size();
    const int from = whence & ~AVSEEK_FORCE;
    const std::int64_t base = from == SEEK_CUR ? file->at : from == SEEK_END ? file->bytes.size() : 0;
    if (base + offset < 0) return AVERROR(EINVAL);
    file->at = base + offset;
    return file->at;
}

void Check(int result, const char* what) {
    if (result >= 0) return;
    char reason[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(result, reason, sizeof reason);
    throw std::runtime_error(std::string(what) + ": " + reason);
}

struct Choice {
    const char* muxer;
    const char* encoder;
    AVPixelFormat pixels;
};

Choice ChoiceFor(TMediaKind kind, bool animated, int quality) {
    switch (kind) {
        case TMediaKind::Apng: return {"apng", "apng", AV_PIX_FMT_RGBA};
        case TMediaKind::WebP:
            // Lossless WebP takes the pixels as they are; lossy is YUV with its alpha.
            return {"webp", animated ? "libwebp_anim" : "libwebp", quality == kLosslessQuality ? AV_PIX_FMT_BGRA : AV_PIX_FMT_YUVA420P};
        case TMediaKind::Webm: return {"webm", "libvpx-vp9", AV_PIX_FMT_YUVA420P};
    }
    throw std::runtime_error("no such format");
}

void SetQuality(AVCodecContext* codec, TMediaKind kind, int quality) {
    if (kind == TMediaKind::WebP && quality == kLosslessQuality) {
        av_opt_set_int(codec->priv_data, "lossless", 1, 0);
    } else if (kind == TMediaKind::WebP) {
        av_opt_set_double(codec->priv_data, "quality", quality, 0);
    } else if (kind == TMediaKind::Webm) {
        // Constant quality: crf 4 (best) to 63 (smallest).
        codec->bit_rate = 0;
        av_opt_set_int(codec->priv_data, "crf", 4 + (100 - quality) * 59 / 99, 0);
        // A sticker is a few dozen small frames: libvpx's fastest setting costs a little size, not a limit.
        av_opt_set(codec->priv_data, "deadline", "realtime", 0);
        av_opt_set_int(codec->priv_data, "cpu-used", 8, 0);
        // libvpx encodes alpha only without alternate reference frames.
        av_opt_set_int(codec->priv_data, "auto-alt-ref", 0, 0);
    }
}

// The colours of all the frames, every fully transparent pixel as one, when
// they are at most 256: an APNG of them is written with a palette, smaller
// and quicker to compress, and every pixel kept exactly.
std::optional<std::vector<QRgb>> SharedPalette(const std::vector<QImage>& frames) {
    std::unordered_set<QRgb> seen;
    std::vector<QRgb> palette;
    for (const QImage& frame : frames) {
        for (int y = 0; y < frame.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            for (int x = 0; x < frame.width(); ++x) {
                // Scaled pixel art comes in runs of one colour.
                if (x > 0 && row[x] == row[x - 1]) continue;
                const QRgb colour = qAlpha(row[x]) == 0 ? 0 : row[x];
                if (seen.insert(colour).second) palette.push_back(colour);
                if (palette.size() > 256) return std::nullopt;
            }
        }
    }
    return palette;
}

// Fills a frame of palette indices, the palette itself after them.
void FillIndexed(const QImage& picture, const std::vector<QRgb>& palette, AVFrame* frame) {
    std::unordered_map<QRgb, std::uint8_t> index;
    for (std::size_t i = 0; i < palette.size(); ++i) index[palette[i]] = static_cast<std::uint8_t>(i);
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        std::uint8_t* out = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
        for (int x = 0; x < picture.width(); ++x) {
            out[x] = x > 0 && row[x] == row[x - 1] ? out[x - 1] : index.at(qAlpha(row[x]) == 0 ? 0 : row[x]);
        }
    }
    // FFmpeg's palette is 256 native 32-bit ARGB values, as QRgb is.
    std::memset(frame->data[1], 0, 256 * sizeof(QRgb));
    std::memcpy(frame->data[1], palette.data(), palette.size() * sizeof(QRgb));
}

// Hands the encoder's packets to the muxer, each lasting as long as its frame.
void Drain(AVCodecContext* codec, AVFormatContext* format, AVStream* stream, const std::map<std::int64_t, int>& delays) {
    const std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    while (true) {
        const int received = avcodec_receive_packet(codec, packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
        Check(received, "a frame could not be encoded");
        if (packet->duration == 0) {
            const auto delay = delays.find(packet->pts);
            if (delay != delays.end()) packet->duration = delay->second;
        }
        av_packet_rescale_ts(packet.get(), kMilliseconds, stream->time_base);
        packet->stream_index = stream->index;
        Check(av_interleaved_write_frame(format, packet.get()), "the file could not be written");
    }
}

}  // namespace

QByteArray EncodeMedia(const std::vector<QImage>& frames, const std::vector<int>& delaysMs, TMediaKind kind, int quality) {
    if (frames.empty()) throw std::runtime_error("no picture to encode");
    // Failures come back as results; the encoders' own chatter stays off the terminal.
    av_log_set_level(AV_LOG_ERROR);
    std::vector<QImage> pictures;
    // QImage's ARGB32 lies in memory as B, G, R, A.
    for (const QImage& frame : frames) pictures.push_back(frame.convertToFormat(QImage::Format_ARGB32));
    Choice choice = ChoiceFor(kind, frames.size() > 1, quality);
    const std::optional<std::vector<QRgb>> palette = kind == TMediaKind::Apng ? SharedPalette(pictures) : std::nullopt;
    if (palette) choice.pixels = AV_PIX_FMT_PAL8;
    const int width = frames.front().width(), height = frames.front().height();

    AVFormatContext* made = nullptr;
    Check(avformat_alloc_output_context2(&made, nullptr, choice.muxer, nullptr), "no writer for the format");
    const std::unique_ptr<AVFormatContext, FormatFree> format(made);
    const AVCodec* encoder = avcodec_find_encoder_by_name(choice.encoder);
    if (!encoder) throw std::runtime_error(std::string("FFmpeg has no encoder ") + choice.encoder);
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    const std::unique_ptr<AVCodecContext, CodecFree> codec(avcodec_alloc_context3(encoder));
    if (!stream || !codec) throw std::runtime_error("out of memory");
    codec->width = width;
    codec->height = height;
    codec->pix_fmt = choice.pixels;
    codec->time_base = kMilliseconds;
    stream->time_base = kMilliseconds;
    SetQuality(codec.get(), kind, quality);
    if (format->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(codec.get(), encoder, nullptr), "the encoder could not start");
    Check(avcodec_parameters_from_context(stream->codecpar, codec.get()), "the encoder could not start");
    constexpr int kIoBufferSize = 64 * 1024;
    TMemoryFile file;
    auto* ioBuffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferSize));
    if (!ioBuffer) throw std::runtime_error("out of memory");
    const std::unique_ptr<AVIOContext, IoFree> io(
        avio_alloc_context(ioBuffer, kIoBufferSize, 1, &file, nullptr, WriteToMemory, SeekInMemory));
    if (!io) {
        av_free(ioBuffer);
        throw std::runtime_error("out of memory");
    }
    format->pb = io.get();
    AVDictionary* options = nullptr;
    // Loop for ever, as Messenger played them.
    av_dict_set(&options, kind == TMediaKind::Apng ? "plays" : "loop", "0", 0);
    // The APNG writer would give the last frame the delay of the one before it.
    if (kind == TMediaKind::Apng) av_dict_set(&options, "final_delay", (std::to_string(delaysMs.back()) + "/1000").c_str(), 0);
    const int written = avformat_write_header(format.get(), &options);
    av_dict_free(&options);
    Check(written, "the file could not be started");

    const std::unique_ptr<SwsContext, ScaleFree> scale(
        palette ? nullptr : sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, choice.pixels, SWS_POINT, nullptr, nullptr, nullptr));
    const std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    if ((!palette && !scale) || !frame) throw std::runtime_error("out of memory");
    frame->format = choice.pixels;
    frame->width = width;
    frame->height = height;
    Check(av_frame_get_buffer(frame.get(), 0), "out of memory");
    std::map<std::int64_t, int> delays;
    std::int64_t at = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        Check(av_frame_make_writable(frame.get()), "out of memory");
        const QImage& picture = pictures[i];
        if (palette) {
            FillIndexed(picture, *palette, frame.get());
        } else {
            const std::uint8_t* source[] = {picture.constBits()};
            const int sourceStride[] = {static_cast<int>(picture.bytesPerLine())};
            sws_scale(scale.get(), source, sourceStride, 0, height, frame->data, frame->linesize);
        }
        frame->pts = at;
        delays[at] = delaysMs[i];
        at += delaysMs[i];
        Check(avcodec_send_frame(codec.get(), frame.get()), "a frame could not be encoded");
        Drain(codec.get(), format.get(), stream, delays);
    }
    Check(avcodec_send_frame(codec.get(), nullptr), "the file could not be finished");
    Drain(codec.get(), format.get(), stream, delays);
    Check(av_write_trailer(format.get()), "the file could not be finished");
    avio_flush(io.get());
    return file.bytes;
}

}  // namespace quillane
