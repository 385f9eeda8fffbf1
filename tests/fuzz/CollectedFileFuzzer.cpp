// Arbitrary bytes as a file in a folder of packs, for the collection's reader:
// every member decompressed for the digest and the damage, the manifest, the
// still. Whatever the bytes, it ends, and a file named as a pack is listed:
// as a pack with its kind, or apart with why.
#include "FuzzCheck.h"
#include "InputFile.h"
#include "PackReading.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteInputFile(data, size);
    const auto collected = quillane::ReadCollectedFile(path, {"fuzzed.QZK", size, 0});
    Check(collected.has_value());
    Check(collected->IsPack() ? !collected->kind.empty() && !collected->contents.empty() : collected->items == 0);
    return 0;
}
