#include "GifWriter.h"

#include "TextFile.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace quillane {
namespace {

// In a frame of more colours than its palette holds, a colour that covers at
// least this share of it (1 in 500 pixels) is kept exactly, up to three
// quarters of the palette; the rest of the palette is giflib's median cut of
// the other pixels.
constexpr std::size_t kFlatShare = 500;
// Marks a transparent pixel among 0xRRGGBB colours.
constexpr std::uint32_t kTransparentPixel = 0x01000000;

int Red(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
int Green(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(std::uint32_t c) { return static_cast<int>(c & 0xFF); }

std::size_t Nearest(const std::vector<std::uint32_t>& palette, std::uint32_t colour) {
    std::size_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int r = Red(palette[i]) - Red(colour);
        const int g = Green(palette[i]) - Green(colour);
        const int b = Blue(palette[i]) - Blue(colour);
        const int distance = 2 * r * r + 4 * g * g + 3 * b * b;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

// The colours of the pixels that no flat colour covers, reduced by giflib's median cut.
std::vector<std::uint32_t> MedianCut(const std::vector<std::uint32_t>& pixels,
                                     const std::unordered_map<std::uint32_t, std::size_t>& exact, int size) {
    std::vector<GifByteType> red, green, blue;
    for (std::uint32_t c : pixels) {
        if (exact.count(c)) continue;
        red.push_back(static_cast<GifByteType>(Red(c)));
        green.push_back(static_cast<GifByteType>(Green(c)));
        blue.push_back(static_cast<GifByteType>(Blue(c)));
    }
    if (red.empty() || size <= 0) return {};
    std::vector<GifByteType> output(red.size());
    std::vector<GifColorType> map(static_cast<std::size_t>(size));
    int mapSize = size;
    if (GifQuantizeBuffer(static_cast<unsigned>(red.size()), 1, &mapSize, red.data(), green.data(), blue.data(),
                          output.data(), map.data()) != GIF_OK) {
        throw EGifWriteError("the colours of a frame could not be reduced to a palette");
    }
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < std::min(mapSize, size); ++i) {
        colours.push_back((std::uint32_t{map[i].Red} << 16) | (std::uint32_t{map[i].Green} << 8) | map[i].Blue);
    }
    return colours;
}

// Browsers show a delay below 2 hundredths of a second as 10: shorter frames are merged.
constexpr long kShortestDelay = 2;

// A time in the movie in hundredths of a second, the unit of a GIF's delays.
long Hundredths(double milliseconds) { return std::lround(milliseconds / 10.0); }

// The block that makes a GIF loop for ever, right after the screen's description and palette.
std::string LoopBlock() { return std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19); }

int WriteToString(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

void Check(int result, GifFileType* gif) {
    if (result != GIF_OK) throw EGifWriteError(std::string("the GIF could not be encoded: ") + GifErrorString(gif->Error));
}

}  // namespace

TIndexedPicture QuantizePicture(const std::vector<std::uint32_t>& pixels, std::size_t colours) {
    const std::size_t mostFlat = colours * 3 / 4;
    std::unordered_map<std::uint32_t, std::size_t> counts;
    for (std::uint32_t c : pixels) ++counts[c];
    TIndexedPicture picture;
    std::unordered_map<std::uint32_t, std::size_t> indexOf;
    if (counts.size() <= colours) {
        // In order, so that frames of the same colours have the same palette and can share the GIF's.
        for (const auto& [colour, count] : counts) picture.palette.push_back(colour);
        std::sort(picture.palette.begin(), picture.palette.end());
        for (std::size_t i = 0; i < picture.palette.size(); ++i) indexOf[picture.palette[i]] = i;
    } else {
        std::vector<std::pair<std::size_t, std::uint32_t>> byCount;
        for (const auto& [colour, count] : counts) byCount.emplace_back(count, colour);
        std::sort(byCount.begin(), byCount.end(), std::greater<>());
        const std::size_t flat = std::max<std::size_t>(2, pixels.size() / kFlatShare);
        for (const auto& [count, colour] : byCount) {
            if (count < flat || picture.palette.size() == mostFlat) break;
            indexOf[colour] = picture.palette.size();
            picture.palette.push_back(colour);
        }
        const auto rest = MedianCut(pixels, indexOf, static_cast<int>(colours - picture.palette.size()));
        picture.palette.insert(picture.palette.end(), rest.begin(), rest.end());
        for (const auto& [count, colour] : byCount) {
            if (!indexOf.count(colour)) indexOf[colour] = Nearest(picture.palette, colour);
        }
    }
    picture.indices.reserve(pixels.size());
    for (std::uint32_t c : pixels) picture.indices.push_back(static_cast<std::uint8_t>(indexOf[c]));
    return picture;
}

namespace {

// The opaque pixels' palette, then one last entry that the transparent pixels take.
TIndexedPicture QuantizeWithTransparency(const std::vector<std::uint32_t>& pixels, std::size_t colours) {
    std::vector<std::uint32_t> opaque;
    for (std::uint32_t c : pixels) {
        if (c != kTransparentPixel) opaque.push_back(c);
    }
    TIndexedPicture picture = QuantizePicture(opaque, colours - 1);
    const auto transparent = static_cast<std::uint8_t>(picture.palette.size());
    picture.palette.push_back(0);
    std::vector<std::uint8_t> indices;
    indices.reserve(pixels.size());
    auto next = picture.indices.begin();
    for (std::uint32_t c : pixels) indices.push_back(c == kTransparentPixel ? transparent : *next++);
    picture.indices = std::move(indices);
    return picture;
}

}  // namespace

struct TGifWriter::Encoder {
    GifFileType* gif = nullptr;
    ~Encoder() {
        if (gif) EGifCloseFile(gif, nullptr);
    }
};

TGifWriter::TGifWriter(int width, int height, Transparency transparency) : TGifWriter(width, height) {
    if (transparency.colours < 2 || transparency.colours > 256) throw EGifWriteError("a palette holds 2 to 256 colours");
    transparentColours_ = transparency.colours;
}

TGifWriter::TGifWriter(int width, int height)
    : width_(width), height_(height), encoder_(std::make_unique<Encoder>()) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) throw EGifWriteError("the picture has no size a GIF can hold");
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes_, WriteToString, &error);
    if (!gif) throw EGifWriteError(std::string("the GIF could not be started: ") + GifErrorString(error));
    encoder_->gif = gif;
    EGifSetGifVersion(gif, true);
}

void TGifWriter::StartFile(const ColorMapObject* palette) {
    GifFileType* gif = encoder_->gif;
    Check(EGifPutScreenDesc(gif, width_, height_, 8, 0, palette), gif);
    loopBlockAt_ = bytes_.size();
    // Loop for ever, as the preview plays the movie.
    static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType forEver[] = {1, 0, 0};
    Check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), gif);
    Check(EGifPutExtensionBlock(gif, sizeof application, application), gif);
    Check(EGifPutExtensionBlock(gif, sizeof forEver, forEver), gif);
    Check(EGifPutExtensionTrailer(gif), gif);
    started_ = true;
}

TGifWriter::~TGifWriter() = default;

void TGifWriter::AddFrame(const std::uint8_t* rgbx, double milliseconds) {
    const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    std::vector<std::uint32_t> frame(count);
    for (std::size_t i = 0; i < count; ++i, rgbx += 4) {
        const bool transparent = transparentColours_ > 0 && rgbx[3] < 128;
        frame[i] = transparent ? kTransparentPixel : (std::uint32_t{rgbx[0]} << 16) | (std::uint32_t{rgbx[1]} << 8) | rgbx[2];
    }
    if (hasPending_ && frame == pending_) {
        pendingEnd_ += milliseconds;
        return;
    }
    // A frame too short for a GIF's delay gives its time to the next one.
    if (hasPending_ && Hundredths(pendingEnd_) - Hundredths(pendingStart_) >= kShortestDelay) {
        StorePending();
        pendingStart_ = pendingEnd_;
    }
    pending_ = std::move(frame);
    pendingEnd_ += milliseconds;
    hasPending_ = true;
}

void TGifWriter::StorePending() {
    GifFileType* gif = encoder_->gif;
    // Opaque frames: only the rectangle that changed since the frame shown
    // before. With transparency each frame is drawn over a cleared screen (one
    // that clears a pixel cannot be drawn over the last): only the rectangle
    // of its visible pixels.
    int left = 0, top = 0, right = width_ - 1, bottom = height_ - 1;
    if (transparentColours_ > 0 || !shown_.empty()) {
        left = width_, top = height_, right = -1, bottom = -1;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
                if (transparentColours_ > 0 ? pending_[i] == kTransparentPixel : pending_[i] == shown_[i]) continue;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
        // A frame with nothing to draw is still a frame: one pixel of it.
        if (right < 0) left = top = right = bottom = 0;
    }
    const int width = right - left + 1;
    const int height = bottom - top + 1;
    std::vector<std::uint32_t> part;
    part.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = top; y <= bottom; ++y) {
        const auto row = pending_.begin() + static_cast<std::ptrdiff_t>(y) * width_;
        part.insert(part.end(), row + left, row + right + 1);
    }
    TIndexedPicture picture = transparentColours_ > 0 ? QuantizeWithTransparency(part, static_cast<std::size_t>(transparentColours_)) : QuantizePicture(part);

    int bits = 1;
    while ((std::size_t{1} << bits) < picture.palette.size()) ++bits;
    std::vector<GifColorType> colours(std::size_t{1} << bits, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < picture.palette.size(); ++i) {
        colours[i] = {static_cast<GifByteType>(Red(picture.palette[i])), static_cast<GifByteType>(Green(picture.palette[i])),
                      static_cast<GifByteType>(Blue(picture.palette[i]))};
    }
    const std::unique_ptr<ColorMapObject, decltype(&GifFreeMapObject)> map(
        GifMakeMapObject(static_cast<int>(colours.size()), colours.data()), GifFreeMapObject);
    if (!map) throw EGifWriteError("the GIF's palette could not be made");
    // The first frame's palette is the GIF's own; a frame of the same colours needs none of its own.
    if (!started_) {
        StartFile(map.get());
        globalPalette_ = picture.palette;
    }
    GraphicsControlBlock control{};
    control.DisposalMode = transparentColours_ > 0 ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.TransparentColor = transparentColours_ > 0 ? static_cast<int>(picture.palette.size()) - 1 : NO_TRANSPARENT_COLOR;
    // Delays in hundredths of a second, rounded from the frame's start and end
    // so that their sum keeps the movie's length.
    control.DelayTime = static_cast<int>(std::clamp(Hundredths(pendingEnd_) - Hundredths(pendingStart_), kShortestDelay, 65535L));
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    Check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension), gif);
    Check(EGifPutImageDesc(gif, left, top, width, height, false, picture.palette == globalPalette_ ? nullptr : map.get()), gif);
    Check(EGifPutLine(gif, picture.indices.data(), static_cast<int>(picture.indices.size())), gif);
    shown_ = pending_;
    ++framesStored_;
}

const std::string& TGifWriter::Close(bool loop) {
    if (!encoder_->gif) return bytes_;
    if (hasPending_) StorePending();
    hasPending_ = false;
    if (!started_) StartFile(nullptr);
    int error = 0;
    const int closed = EGifCloseFile(encoder_->gif, &error);
    encoder_->gif = nullptr;
    if (closed != GIF_OK) throw EGifWriteError(std::string("the GIF could not be finished: ") + GifErrorString(error));
    if (!loop) {
        // Without the loop block, which came right after the screen's description, viewers play it once.
        const std::string block = LoopBlock();
        if (bytes_.compare(loopBlockAt_, block.size(), block) == 0) bytes_.erase(loopBlockAt_, block.size());
    }
    return bytes_;
}

bool TGifWriter::Finish(const std::string& path, bool loop) {
    if (!encoder_->gif) return false;
    return ReplaceEntryAtomically(path, Close(loop));
}

}  // namespace quillane
