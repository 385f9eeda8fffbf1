// A Pidgin smiley theme read into a pack's emoticons: only pictures inside the
// theme's folder, each with the first shortcut it can have among all its
// lines, and no shortcut given twice.
#include "PidginThemeImport.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace quillane;

namespace {

// A picture of one pixel, as PNG.
constexpr char kPngBytes[] =
    "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x01\x00\x00\x00\x01\x08\x06\x00\x00\x00\x1f\x15\xc4\x89"
    "\x00\x00\x00\x0dIDATx\x9c\x63\xf8\x0f\x00\x00\x01\x01\x00\x05\x18\xd8\x4e\x00\x00\x00\x00IEND\xae\x42\x60\x82";
const std::string kPng(kPngBytes, sizeof kPngBytes - 1);

bool Mentions(const TThemeImport& imported, const std::string& text) {
    return std::any_of(imported.leftOut.begin(), imported.leftOut.end(),
                       [&text](const std::string& line) { return line.find(text) != std::string::npos; });
}

}  // namespace

TEST(PidginThemeImportTest, EachPictureOnceWithAShortcutNoOtherHasAndOnlyFromTheThemesFolder) {
    quillane::testing::TempFolder outside, theme;
    quillane::testing::WriteFile(outside.File("private.png"), kPng);
    for (const char* name : {"a.png", "b.png", "c.png"}) quillane::testing::WriteFile(theme.File(name), kPng);
    std::filesystem::create_symlink(outside.File("private.png"), theme.File("evil.png"));
    quillane::testing::WriteFile(theme.File("theme"),
                       "Name=Test\n[default]\n"
                       "a.png \xff\n"
                       "a.png :)\n"
                       "b.png :) :(\n"
                       "c.png :)\n"
                       "evil.png ;)\n");

    const TThemeImport imported = ImportPidginTheme(theme.Folder());

    ASSERT_EQ(imported.emoticons.size(), 2u);
    EXPECT_EQ(imported.emoticons[0].Key, ":)");
    EXPECT_EQ(imported.emoticons[0].FullPath, theme.File("a.png"));
    EXPECT_EQ(imported.emoticons[1].Key, ":(");
    EXPECT_EQ(imported.emoticons[1].FullPath, theme.File("b.png"));
    EXPECT_TRUE(Mentions(imported, "b.png: the shortcut :), which a.png already has"));
    EXPECT_TRUE(Mentions(imported, "c.png: the shortcut :), which a.png already has"));
    EXPECT_TRUE(Mentions(imported, "c.png: every shortcut it could have is another picture's"));
    EXPECT_TRUE(Mentions(imported, "evil.png: not in the theme's folder"));
}
