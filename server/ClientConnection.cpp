#include "ClientConnection.h"

#include <vector>

#include "Streams.h"

namespace quillane {

std::size_t TClientConnection::SendFilePiece(TFileStream& file, std::size_t count) {
    std::vector<char> piece(count);
    const std::size_t got = file.Read(piece.data(), count);
    return got > 0 && SendAll(piece.data(), got) ? got : 0;
}

}  // namespace quillane
