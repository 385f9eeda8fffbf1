#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct ColorMapObject;

namespace quillane {

// Writes an animated GIF that loops for ever (or plays once), frame by frame, through giflib.
// Each frame gets a palette of its own made from its own colours: a frame of
// at most 256 colours keeps them exactly, and in a richer one the colours
// that cover much of it keep theirs, so that flat colours stay flat; the
// first frame's palette is the GIF's, which later frames of the same colours
// share. Frames are opaque, as the movie's stage is. A frame equal to the one
// before it only lengthens that one; a frame that changes part of the picture
// is stored as the changed rectangle. A frame that would be shown for less than 2
// hundredths of a second (which browsers stretch to 10) gives way to the next
// one. Nothing reaches the disk before Finish, which replaces the file at
// once, a link of its name included, never writing through it. No Qt.
class TGifWriter {
public:
    // Pictures with transparency (an alpha below half is transparent): each
    // frame is stored whole over a cleared screen, with one palette entry for
    // the transparent pixels, and the rest of the palette at most `colours` - 1.
    struct Transparency {
        int colours = 256;
    };

    TGifWriter(int width, int height);
    TGifWriter(int width, int height, Transparency transparency);
    ~TGifWriter();
    TGifWriter(const TGifWriter&) = delete;
    TGifWriter& operator=(const TGifWriter&) = delete;

    // A frame of width x height pixels, 4 bytes each (red, green, blue and an
    // unused fourth, or alpha with Transparency), row after row, shown for `milliseconds`.
    void AddFrame(const std::uint8_t* rgbx, double milliseconds);

    // Ends the GIF and gives all its bytes. `loop` false makes it play once
    // and hold its last frame, as a movie that stops at its end does.
    const std::string& Close(bool loop = true);

    // Ends the GIF and writes it over `path`; false when it cannot be written, with the old file untouched.
    bool Finish(const std::string& path, bool loop = true);

    // Frames stored so far; the frame still pending counts once it differs from the last.
    int FramesStored() const { return framesStored_; }
    // The GIF's bytes so far; all of them once Finish has run.
    const std::string& Bytes() const { return bytes_; }

private:
    // The screen's description with the GIF's own palette, and the block that makes it loop.
    void StartFile(const ColorMapObject* palette);
    void StorePending();

    int width_;
    int height_;
    // Palette entries a frame may take; 0 when the frames are opaque.
    int transparentColours_ = 0;
    std::vector<std::uint32_t> pending_;
    std::vector<std::uint32_t> shown_;
    double pendingStart_ = 0;
    double pendingEnd_ = 0;
    bool hasPending_ = false;
    bool started_ = false;
    std::vector<std::uint32_t> globalPalette_;
    std::size_t loopBlockAt_ = 0;
    int framesStored_ = 0;
    std::string bytes_;
    struct Encoder;
    std::unique_ptr<Encoder> encoder_;
};

// A GIF that giflib could not encode; its text says why.
class EGifWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The palette of a picture of packed 0xRRGGBB colours, at most `colours`
// entries, and each pixel's index into it.
struct TIndexedPicture {
    std::vector<std::uint32_t> palette;
    std::vector<std::uint8_t> indices;
};
TIndexedPicture QuantizePicture(const std::vector<std::uint32_t>& pixels, std::size_t colours = 256);

}  // namespace quillane
