#include "MsZip.h"

#include "CabServices.h"

#include <zlib.h>

namespace quillane {
namespace {

// A final fixed-code block with nothing but its end code: it closes the
// block's deflate stream without resetting the compressor's history.
constexpr char kFinalEmptyBlock[] = {0x03, 0x00};

}  // namespace

struct TMsZip::Stream {
    z_stream z{};
};

TMsZip::TMsZip() : stream_(std::make_unique<Stream>()) {
    if (deflateInit2(&stream_->z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw ECabinetError("Cannot start the compressor: out of memory.");
    }
}

TMsZip::~TMsZip() {
    deflateEnd(&stream_->z);
}

std::string_view TMsZip::CompressBlock(std::string_view input) {
    z_stream& z = stream_->z;
    // Stored blocks bound the output of data that does not compress.
    output_.resize(2 + input.size() + input.size() / 8 + 64);
    output_[0] = 'C';
    output_[1] = 'K';
    size_t produced = 2;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    // A sync flush ends the block's input on a byte boundary with all of it
    // written out; the empty final block then ends the block's stream.
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(output_.data() + produced);
        z.avail_out = static_cast<uInt>(output_.size() - produced);
        const int result = deflate(&z, Z_SYNC_FLUSH);
        produced = output_.size() - z.avail_out;
        if (result != Z_OK && result != Z_BUF_ERROR) throw ECabinetError("The compressor failed.");
        if (z.avail_out != 0) break;
        output_.resize(output_.size() * 2);
    }
    output_.resize(produced);
    output_.append(kFinalEmptyBlock, sizeof kFinalEmptyBlock);
    return output_;
}

}  // namespace quillane
