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
    struct Stream;
    std::unique_ptr<Stream> stream_;
    std::string output_;
};

}  // namespace quillane
