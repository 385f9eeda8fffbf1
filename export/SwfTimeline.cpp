#include "SwfTimeline.h"

#include <zlib.h>

#include <cstdint>
#include <string>

namespace quillane {
namespace {

// The tags and actions that tell where the main timeline stops.
constexpr unsigned kEndTag = 0;
constexpr unsigned kShowFrameTag = 1;
constexpr unsigned kDoActionTag = 12;
constexpr std::uint8_t kActionEnd = 0x00;
constexpr std::uint8_t kActionStop = 0x07;
// Actions from this code on carry a 16-bit length and that many bytes.
constexpr std::uint8_t kFirstActionWithData = 0x80;
// A movie that inflates beyond this is not read: no wink comes near it.
constexpr std::size_t kLargestMovie = std::size_t{256} << 20;

unsigned Byte(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

std::uint32_t Little(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | Byte(bytes, at + static_cast<std::size_t>(i));
    return value;
}

// The movie's bytes after its 8-byte header, inflated when the movie is compressed with zlib.
std::optional<std::string> Body(std::string_view movie) {
    if (movie.size() < 8) return std::nullopt;
    const std::string_view signature = movie.substr(0, 3);
    if (signature == "FWS") return std::string(movie.substr(8));
    if (signature != "CWS") return std::nullopt;
    const std::size_t declared = Little(movie, 4, 4);
    if (declared < 8 || declared > kLargestMovie) return std::nullopt;
    std::string body(declared - 8, '\0');
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(movie.data() + 8));
    stream.avail_in = static_cast<uInt>(movie.size() - 8);
    stream.next_out = reinterpret_cast<Bytef*>(body.data());
    stream.avail_out = static_cast<uInt>(body.size());
    const int result = inflate(&stream, Z_FINISH);
    body.resize(stream.total_out);
    inflateEnd(&stream);
    // A movie cut short still shows its first frames: what was inflated is read.
    if (result != Z_STREAM_END && result != Z_BUF_ERROR && result != Z_OK) return std::nullopt;
    return body;
}

bool ActionsStop(std::string_view actions) {
    for (std::size_t at = 0; at < actions.size();) {
        const auto code = static_cast<std::uint8_t>(Byte(actions, at++));
        if (code == kActionEnd) return false;
        if (code == kActionStop) return true;
        if (code >= kFirstActionWithData) {
            if (at + 2 > actions.size()) return false;
            at += 2 + Little(actions, at, 2);
        }
    }
    return false;
}

}  // namespace

std::optional<int> FrameTheMovieStopsOn(std::string_view movie) {
    const std::optional<std::string> body = Body(movie);
    if (!body || body->empty()) return std::nullopt;
    const std::string_view tags = *body;
    // The stage's rectangle: 5 bits give the width of its four fields.
    const std::size_t rectBits = 5 + 4 * (Byte(tags, 0) >> 3);
    std::size_t at = (rectBits + 7) / 8 + 4;
    int frame = 1;
    while (at + 2 <= tags.size()) {
        const std::uint32_t header = Little(tags, at, 2);
        at += 2;
        const unsigned code = header >> 6;
        std::size_t length = header & 0x3F;
        if (length == 0x3F) {
            if (at + 4 > tags.size()) return std::nullopt;
            length = Little(tags, at, 4);
            at += 4;
        }
        if (length > tags.size() - at) return std::nullopt;
        if (code == kEndTag) break;
        if (code == kShowFrameTag) ++frame;
        if (code == kDoActionTag && ActionsStop(tags.substr(at, length))) return frame;
        at += length;
    }
    return std::nullopt;
}

}  // namespace quillane
