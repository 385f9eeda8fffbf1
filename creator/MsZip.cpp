#include "MsZip.h"

#include "CabServices.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>
#include <zlib.h>

namespace quillane {
namespace {

// Level 5 packs pictures as small as the default level does and takes a
// good part less time over them.
constexpr int kLevel = 5;
// How much input one choice of strategy covers.
constexpr size_t kPieceSize = 4096;

// Pictures that are compressed already (JPEG, PNG, GIF) look like noise to
// deflate: searching them for repeats costs most of the time and finds
// nearly nothing. Bytes spread that evenly are coded with Huffman codes
// alone, which deflate stores as they are when that is smaller; a block
// made of nothing else is stored without asking deflate at all.
bool LooksCompressed(std::string_view piece) {
    if (piece.size() < 1024) return false;
    std::array<uint32_t, 256> counts{};
    for (const char c : piece) ++counts[static_cast<unsigned char>(c)];
    double bits = 0;
    for (const uint32_t count : counts) {
        if (count) bits -= count * std::log2(static_cast<double>(count) / piece.size());
    }
    return bits / piece.size() > 7.5;
}

}  // namespace

struct TMsZip::Stream {
    z_stream z{};
};

TMsZip::TMsZip() : stream_(std::make_unique<Stream>()), level_(kLevel), strategy_(Z_DEFAULT_STRATEGY) {
    if (deflateInit2(&stream_->z, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw ECabinetError("Cannot start the compressor: out of memory.");
    }
}

TMsZip::~TMsZip() {
    deflateEnd(&stream_->z);
}

void TMsZip::PointOutput() {
    stream_->z.next_out = reinterpret_cast<Bytef*>(output_.data() + produced_);
    stream_->z.avail_out = static_cast<uInt>(output_.size() - produced_);
}

void TMsZip::TakeOutput() {
    produced_ = output_.size() - stream_->z.avail_out;
    if (stream_->z.avail_out == 0) output_.resize(output_.size() * 2);
}

void TMsZip::UseSettings(int level, int strategy) {
    if (level == level_ && strategy == strategy_) return;
    // Ends the current deflate block; zlib asks for more room when it has too little.
    for (;;) {
        PointOutput();
        const int result = deflateParams(&stream_->z, level, strategy);
        TakeOutput();
        if (result == Z_OK) break;
        if (result != Z_BUF_ERROR) throw ECabinetError("The compressor failed.");
    }
    level_ = level;
    strategy_ = strategy;
}

void TMsZip::Deflate(std::string_view input, int flush) {
    z_stream& z = stream_->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    for (;;) {
        PointOutput();
        const int result = deflate(&z, flush);
        const bool done = z.avail_in == 0 && z.avail_out != 0;
        TakeOutput();
        if (result != Z_OK && result != Z_BUF_ERROR) throw ECabinetError("The compressor failed.");
        if (done) break;
    }
}

std::string_view TMsZip::CompressBlock(std::string_view input) {
    std::vector<bool> compressed;
    for (size_t at = 0; at < input.size(); at += kPieceSize) compressed.push_back(LooksCompressed(input.substr(at, kPieceSize)));
    if (!compressed.empty() && std::all_of(compressed.begin(), compressed.end(), [](bool piece) { return piece; })) {
        return StoreBlock(input);
    }
    StartOutput(input.size());
    for (size_t at = 0, piece = 0; at < input.size(); at += kPieceSize, ++piece) {
        UseSettings(kLevel, compressed[piece] ? Z_HUFFMAN_ONLY : Z_DEFAULT_STRATEGY);
        Deflate(input.substr(at, kPieceSize), Z_NO_FLUSH);
    }
    // A sync flush writes out all of the block's input and ends on a byte
    // boundary; a final block of fixed codes holding only its end code
    // (0x03 0x00) then closes the block's stream, and the history goes on.
    Deflate({}, Z_SYNC_FLUSH);
    output_.resize(produced_ + 2);
    output_[produced_] = 0x03;
    output_[produced_ + 1] = 0x00;
    return output_;
}

std::string_view TMsZip::StoreBlock(std::string_view input) {
    // Later blocks may refer back into these bytes, so zlib's history must
    // hold them too: at level 0 it merely copies them, and what it writes
    // is dropped, as it ends flushed on a byte boundary.
    StartOutput(input.size());
    UseSettings(0, Z_DEFAULT_STRATEGY);
    Deflate(input, Z_SYNC_FLUSH);
    // "CK" and one final stored block: its header, then the length and its complement.
    output_.resize(2);
    const auto length = static_cast<uint16_t>(input.size());
    const auto complement = static_cast<uint16_t>(~length);
    const char header[] = {0x01, static_cast<char>(length & 0xFF), static_cast<char>(length >> 8),
                           static_cast<char>(complement & 0xFF), static_cast<char>(complement >> 8)};
    output_.append(header, sizeof header);
    output_.append(input);
    return output_;
}

void TMsZip::StartOutput(size_t inputSize) {
    output_.resize(2 + inputSize + inputSize / 8 + 64);
    output_[0] = 'C';
    output_[1] = 'K';
    produced_ = 2;
}

}  // namespace quillane
