#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillane {

// What the preview shows of a pack file, read into memory by the cabinet
// reader in-process: nothing is written to the disk and no tool is run, so a
// pack is ready in milliseconds. The bounds of an unpacked pack hold here too:
// a cabinet that says it holds more is refused before anything is read.
struct TPreviewContents {
    enum Kind {
        Emoticons,  // `emoticons`, in the manifest's order
        Movie,      // a wink's or a display picture's movie, with its still picture when the pack holds one
        Picture,    // a display picture that is a picture
        Nothing,    // a pack that holds nothing the preview can show
        Damaged,    // no pack, or one that cannot be read; `problem` says why
    };
    struct Emoticon {
        std::string name;
        std::string shortcut;
        std::string bytes;
    };

    Kind kind = Nothing;
    std::vector<Emoticon> emoticons;
    // The movie's member name ("heart.swf") and bytes.
    std::string movieName;
    std::string movie;
    // The still picture of the movie, or the display picture itself.
    std::string picture;
    // What could not be read, in the program's words; empty when all was read.
    std::string problem;

    // The bytes held, for the cache that keeps packs in memory.
    std::size_t Bytes() const;
};

// Reads a .QZK, .QZC, .CAB or .mco pack (a cabinet, or one without its first
// byte, known by its first bytes) for its preview. Never raises: what cannot
// be read is said in `problem`. Touches no window: it runs off the window's thread.
TPreviewContents ReadPreviewContents(const std::string& packPath);

// The still picture of the pack's movie, as the thumbnailer finds it; empty
// when the pack holds none or is no pack.
std::string StillPictureOf(const std::string& packPath);

}  // namespace quillane
