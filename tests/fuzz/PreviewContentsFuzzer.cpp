// Arbitrary bytes as a pack file for the preview's reader, which reads packs
// in memory while the user arrows through them. Whatever the bytes, it ends
// without raising, keeps within the bounds a preview may hold, and says why
// when it shows nothing.
#include "FuzzCheck.h"
#include "InputFile.h"
#include "PackUnpacking.h"
#include "PreviewContents.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const quillane::TPreviewContents contents = quillane::ReadPreviewContents(WriteInputFile(data, size));
    Check(contents.Bytes() <= quillane::kLargestUnpackedPack + size);
    if (contents.kind == quillane::TPreviewContents::Damaged) Check(!contents.problem.empty());
    if (contents.kind == quillane::TPreviewContents::Movie) Check(!contents.movie.empty());
    return 0;
}
