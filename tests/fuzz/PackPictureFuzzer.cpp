// Arbitrary bytes as a pack file for the thumbnailer's reader: the cabinet
// reader and the choice of the picture that stands for the pack. Whatever the
// bytes, the reader ends, and what it hands over keeps within its bounds: a
// picture has the name of a member and at most 4 MiB of bytes; anything else
// carries no bytes.
#include "FuzzCheck.h"
#include "InputFile.h"
#include "PackPicture.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const quillane::TPackPicture found = quillane::FindPackPicture(WriteInputFile(data, size));
    if (found.kind == quillane::TPackPicture::Picture) {
        Check(!found.name.empty());
        Check(found.bytes.size() <= (std::size_t{4} << 20));
    } else {
        Check(found.bytes.empty());
    }
    return 0;
}
