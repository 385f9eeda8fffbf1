// Palettes from a frame's own colours, and frames merged or cut to what changed.
#include "GifWriter.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <set>

using namespace quillane;

namespace {

std::uint32_t Colour(const TIndexedPicture& picture, std::size_t pixel) { return picture.palette[picture.indices[pixel]]; }

}  // namespace

TEST(GifWriterTest, FlatColoursStayExactInPoorAndRichFrames) {
    // 200 colours: all kept as they are.
    std::vector<std::uint32_t> poor;
    for (std::uint32_t i = 0; i < 10000; ++i) poor.push_back((i % 200) * 0x010203);
    const TIndexedPicture few = QuantizePicture(poor);
    for (std::size_t i = 0; i < poor.size(); ++i) ASSERT_EQ(Colour(few, i), poor[i]);

    // Three flat areas and a gradient of 2000 colours: the flat ones keep their colours exactly.
    std::vector<std::uint32_t> rich(30000, 0xD2E6FA);
    std::fill(rich.begin() + 10000, rich.begin() + 16000, 0xFAC81E);
    std::fill(rich.begin() + 16000, rich.begin() + 20000, 0x3C78E6);
    for (std::uint32_t i = 0; i < 2000; ++i) rich[20000 + i] = (i << 8) | (i >> 3);
    const TIndexedPicture many = QuantizePicture(rich);
    EXPECT_LE(many.palette.size(), 256u);
    for (std::size_t i : {0, 12000, 18000}) EXPECT_EQ(Colour(many, i), rich[i]);
}

TEST(GifWriterTest, EqualFramesMergeAndTheFileIsWrittenOnlyWhenFinished) {
    quillane::testing::TempFolder folder;
    const std::string path = folder.File("out.gif");
    std::vector<std::uint8_t> white(4 * 8 * 8, 255), dot = white;
    dot[0] = dot[1] = 0;
    TGifWriter writer(8, 8);
    writer.AddFrame(white.data(), 100);
    writer.AddFrame(white.data(), 100);
    writer.AddFrame(dot.data(), 100);
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_TRUE(writer.Finish(path));
    EXPECT_EQ(writer.FramesStored(), 2);
    const std::string gif = quillane::testing::ReadFile(path);
    EXPECT_EQ(gif.substr(0, 6), "GIF89a");
    EXPECT_NE(gif.find("NETSCAPE2.0"), std::string::npos);
    // Kept frames (disposal 1), delays of 20 and 10 hundredths; the second frame is the one changed pixel at 0,0.
    const std::string control1("\x21\xF9\x04\x04\x14\x00", 6), control2("\x21\xF9\x04\x04\x0A\x00", 6);
    const auto second = gif.find(control2);
    ASSERT_NE(gif.find(control1), std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(gif.substr(second + 8, 9), std::string("\x2C\x00\x00\x00\x00\x01\x00\x01\x00", 9));
}

TEST(GifWriterTest, AGifThatPlaysOnceHasNoLoopBlock) {
    quillane::testing::TempFolder folder;
    std::vector<std::uint8_t> white(4 * 4 * 4, 255), black(4 * 4 * 4, 0);
    TGifWriter writer(4, 4);
    writer.AddFrame(white.data(), 100);
    writer.AddFrame(black.data(), 100);
    ASSERT_TRUE(writer.Finish(folder.File("once.gif"), false));
    const std::string gif = quillane::testing::ReadFile(folder.File("once.gif"));
    EXPECT_EQ(gif.find("NETSCAPE2.0"), std::string::npos);
    // The first frame follows the screen's description and its palette of two colours.
    EXPECT_EQ(gif.substr(13 + 2 * 3, 3), "\x21\xF9\x04");
    EXPECT_EQ(gif.back(), ';');
}

TEST(GifWriterTest, NoFrameIsShownForLessThanTwoHundredths) {
    // A movie of 60 frames a second, each frame new: merged into frames of at least 2 hundredths, a second in all.
    quillane::testing::TempFolder folder;
    TGifWriter writer(4, 4);
    for (int i = 0; i < 60; ++i) {
        std::vector<std::uint8_t> frame(4 * 4 * 4, static_cast<std::uint8_t>(i * 4));
        writer.AddFrame(frame.data(), 1000.0 / 60);
    }
    ASSERT_TRUE(writer.Finish(folder.File("fast.gif")));
    const std::string gif = quillane::testing::ReadFile(folder.File("fast.gif"));
    int total = 0, frames = 0;
    for (auto at = gif.find("\x21\xF9\x04"); at != std::string::npos; at = gif.find("\x21\xF9\x04", at + 1), ++frames) {
        const int delay = static_cast<unsigned char>(gif[at + 4]) | (static_cast<unsigned char>(gif[at + 5]) << 8);
        EXPECT_GE(delay, 2) << "frame " << frames;
        total += delay;
    }
    EXPECT_EQ(frames, writer.FramesStored());
    EXPECT_EQ(total, 100);
}

TEST(GifWriterTest, ALinkOfTheNameIsReplacedItselfNeverWrittenThrough) {
    quillane::testing::TempFolder outside, folder;
    quillane::testing::WriteFile(outside.File("private.gif"), "keep");
    std::filesystem::create_symlink(outside.File("private.gif"), folder.File("linked.gif"));
    std::filesystem::create_symlink(outside.File("none.gif"), folder.File("dangling.gif"));
    std::vector<std::uint8_t> white(4 * 4 * 4, 255);
    for (const char* name : {"linked.gif", "dangling.gif"}) {
        TGifWriter writer(4, 4);
        writer.AddFrame(white.data(), 100);
        ASSERT_TRUE(writer.Finish(folder.File(name))) << name;
        EXPECT_FALSE(std::filesystem::is_symlink(folder.File(name))) << name;
        EXPECT_EQ(quillane::testing::ReadFile(folder.File(name)).substr(0, 6), "GIF89a") << name;
    }
    EXPECT_EQ(quillane::testing::ReadFile(outside.File("private.gif")), "keep");
    EXPECT_FALSE(std::filesystem::exists(outside.File("none.gif")));
}
