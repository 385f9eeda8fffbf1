// What the preview reads of a pack, in memory: the bundled packs and broken ones.
#include "PackFixtures.h"
#include "PreviewContents.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

using namespace quillane;
using namespace quillane::testing;

namespace {

std::string Sample(const std::string& name) { return AppFolder() + "msnpack/" + name; }

}  // namespace

TEST(PreviewContents, AWinkGivesTheMovieOfItsOwnCabinetAndItsStill) {
    const TPreviewContents wink = ReadPreviewContents(Sample("heart.QZK"));
    ASSERT_EQ(wink.kind, TPreviewContents::Movie);
    EXPECT_EQ(wink.movieName, "heart.swf");
    EXPECT_EQ(wink.movie.rfind("FWS", 0), 0u);
    EXPECT_EQ(wink.picture.rfind("GIF89a", 0), 0u);
    EXPECT_TRUE(wink.problem.empty());
}

TEST(PreviewContents, AnEmoticonPackGivesEachEmoticonWithItsNameAndShortcut) {
    const TPreviewContents faces = ReadPreviewContents(Sample("faces.QZK"));
    ASSERT_EQ(faces.kind, TPreviewContents::Emoticons);
    ASSERT_EQ(faces.emoticons.size(), 4u);
    EXPECT_FALSE(faces.emoticons[0].shortcut.empty());
    EXPECT_EQ(faces.emoticons[0].bytes.rfind("GIF8", 0), 0u);
}

// What cannot be read is said, and what can is still shown.
TEST(PreviewContents, ADamagedPackSaysWhatItCannotRead) {
    TempFolder folder;
    MakeCabinetOf(folder.File("half.QZC"), {{"content.xml", EmoticonManifest(EmoticonItem("a.gif", "A", ":a") +
                                                                             EmoticonItem("gone.gif", "Gone", ":g"))},
                                            {"a.gif", "GIF89a a"}});
    const TPreviewContents half = ReadPreviewContents(folder.File("half.QZC"));
    EXPECT_EQ(half.kind, TPreviewContents::Emoticons);
    EXPECT_EQ(half.emoticons.size(), 1u);
    EXPECT_EQ(half.problem, "1 emoticon of the pack cannot be read.");

    WriteFile(folder.File("text.QZK"), "not a cabinet at all");
    const TPreviewContents text = ReadPreviewContents(folder.File("text.QZK"));
    EXPECT_EQ(text.kind, TPreviewContents::Damaged);
    EXPECT_EQ(text.problem, "\"text.QZK\" is not a Messenger pack, or it is damaged.");
}

TEST(PreviewContents, APackThatWouldUnpackBeyondTheBoundIsRefusedUnread) {
    TempFolder folder;
    MakeCabinetOf(folder.File("bomb.QZC"), {{"content.xml", EmoticonManifest(EmoticonItem("a.gif", "A", ":a"))},
                                            {"a.gif", std::string(65 << 20, '\0')}});
    const TPreviewContents bomb = ReadPreviewContents(folder.File("bomb.QZC"));
    EXPECT_EQ(bomb.kind, TPreviewContents::Damaged);
    EXPECT_TRUE(bomb.emoticons.empty());
    EXPECT_NE(bomb.problem.find("64 MiB"), std::string::npos) << bomb.problem;
}
