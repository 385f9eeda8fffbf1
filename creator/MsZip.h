#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quillane {

// MSZIP compression of a cabinet folder: each data block is "CK" and a raw
// deflate stream that ends with a final block, while the history of the
// folder's earlier blocks stays available to later ones, as readers keep it.
class TMsZip {
public:
    TMsZip();
    ~TMsZip();
    TMsZip(const TMsZip&) = delete;
    TMsZip& operator=(const TMsZip&) = delete;

    // The compressed bytes of the next block (at most 32 KiB of input).
    std::string_view CompressBlock(std::string_view input);

private:
    std::string_view StoreBlock(std::string_view input);
    void StartOutput(size_t inputSize);
    void UseSettings(int level, int strategy);
    void Deflate(std::string_view input, int flush);
    // The output buffer's free part handed to zlib, and what zlib wrote into it.
    void PointOutput();
    void TakeOutput();

    struct Stream;
    std::unique_ptr<Stream> stream_;
    int level_;
    int strategy_;
    std::string output_;
    size_t produced_ = 0;
};

}  // namespace quillane
