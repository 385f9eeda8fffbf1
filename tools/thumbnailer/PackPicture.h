#pragma once

#include <string>

namespace quillane {

// The picture that stands for a pack file, as its thumbnail shows it.
struct TPackPicture {
    enum Kind {
        Picture,      // `bytes` holds the picture file named `name`
        NoPicture,    // a sound pack that holds no picture (a wink with only its movie)
        Damaged,      // a cabinet that cannot be read as a pack, or whose picture cannot be read
        NotAPack,     // a cabinet without content.xml: some other program's cabinet
        NotACabinet,  // neither a cabinet nor a .QZK pack, or no regular file that can be read
    };
    Kind kind = NotACabinet;
    std::string name;
    std::string bytes;
};

// Looks into a .QZK, .QZC, .CAB or .mco pack, known by its first bytes (a
// cabinet, or a cabinet without its first byte), and reads only what it
// needs: content.xml, then the first display picture or emoticon it lists;
// for a wink, the first picture beside its manifest, else the first picture
// of the wink's own inner cabinet.
TPackPicture FindPackPicture(const std::string& path);

}  // namespace quillane
