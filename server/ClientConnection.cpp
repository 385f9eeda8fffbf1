#include "ClientConnection.h"

#include <algorithm>
#include <vector>

#include "Streams.h"

namespace quillane {

std::size_t TClientConnection::SendFilePiece(TFileStream& file, std::size_t count) {
    // Connections without sendfile copy through a buffer of bounded size.
    constexpr std::size_t kCopyBuffer = 64 * 1024;
    std::vector<char> piece(std::min(count, kCopyBuffer));
    const std::size_t got = file.Read(piece.data(), piece.size());
    return got > 0 && SendAll(piece.data(), got) ? got : 0;
}

}  // namespace quillane
