// Where a movie's own main timeline stops it, read from its tags, plain and compressed.
#include "SwfTimeline.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

using namespace quillane;

namespace {

const std::string kShowFrame("\x40\x00", 2);
const std::string kEnd("\x00\x00", 2);
// DoAction holding Stop, then the end of its actions.
const std::string kStop("\x02\x03\x07\x00", 4);

// An uncompressed movie of the tags given, on an empty stage at 12 frames a second.
std::string Movie(const std::string& tags, int frames) {
    std::string body = std::string("\x00", 1) + std::string("\x00\x0C", 2) + std::string(1, static_cast<char>(frames)) +
                       std::string("\x00", 1) + tags;
    const auto length = static_cast<std::uint32_t>(8 + body.size());
    std::string header = "FWS\x08";
    for (int i = 0; i < 4; ++i) header += static_cast<char>((length >> (8 * i)) & 0xFF);
    return header + body;
}

std::string Compressed(const std::string& movie) {
    uLongf size = compressBound(static_cast<uLong>(movie.size() - 8));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(movie.data() + 8),
              static_cast<uLong>(movie.size() - 8), 9);
    packed.resize(size);
    return "CWS" + movie.substr(3, 5) + packed;
}

}  // namespace

TEST(SwfTimelineTest, TheFrameWhoseActionsStopTheMovie) {
    const std::string stopsOnThird = Movie(kShowFrame + kShowFrame + kStop + kShowFrame + kShowFrame + kEnd, 4);
    EXPECT_EQ(FrameTheMovieStopsOn(stopsOnThird), 3);
    EXPECT_EQ(FrameTheMovieStopsOn(Compressed(stopsOnThird)), 3);
    // A DoAction in the long form of a tag's header.
    const std::string longForm = std::string("\x3F\x03\x02\x00\x00\x00", 6) + "\x07\x00";
    EXPECT_EQ(FrameTheMovieStopsOn(Movie(kShowFrame + longForm + kShowFrame + kEnd, 2)), 2);
}

TEST(SwfTimelineTest, AMovieWithoutAStopPlaysOn) {
    EXPECT_EQ(FrameTheMovieStopsOn(Movie(kShowFrame + kShowFrame + kEnd, 2)), std::nullopt);
    // A Push whose data holds the byte of Stop stops nothing.
    const std::string push("\x06\x03\x96\x02\x00\x07\x07\x00", 8);
    EXPECT_EQ(FrameTheMovieStopsOn(Movie(push + kShowFrame + kEnd, 1)), std::nullopt);
    // A stop inside a clip's own timeline (DefineSprite) stops only the clip.
    const std::string sprite = std::string("\xCC\x09\x01\x00\x01\x00", 6) + kStop + kShowFrame + kEnd;
    EXPECT_EQ(FrameTheMovieStopsOn(Movie(sprite + kShowFrame + kEnd, 1)), std::nullopt);
}

TEST(SwfTimelineTest, DamagedOrUnknownMoviesAreNotRead) {
    const std::string movie = Movie(kShowFrame + kStop + kShowFrame + kEnd, 2);
    for (std::size_t cut = 0; cut < movie.size() - 4; ++cut) EXPECT_EQ(FrameTheMovieStopsOn(movie.substr(0, cut)), std::nullopt) << cut;
    EXPECT_EQ(FrameTheMovieStopsOn("ZWS" + movie.substr(3)), std::nullopt);
    EXPECT_EQ(FrameTheMovieStopsOn("<html>404</html>"), std::nullopt);
}
