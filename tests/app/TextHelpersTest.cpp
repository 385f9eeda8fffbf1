#include "TempFolder.h"
#include "WinksGlobal.h"

#include <gtest/gtest.h>

using quillane::TGlobal;
using quillane::testing::TempFolder;
using quillane::testing::WriteFile;

class TextHelpers : public ::testing::Test {
protected:
    TempFolder folder;
    TGlobal global{folder.Folder()};
};

TEST_F(TextHelpers, LastCharPosNeverExaminesTheLastCharacter) {
    EXPECT_EQ(global.LastCharPos("/", "a/dir/pack.cab"), 6);
    EXPECT_EQ(global.LastCharPos("/", "a/dir/"), 2);
    EXPECT_EQ(global.LastCharPos("/", "pack.cab"), 0);
    EXPECT_EQ(global.LastCharPos("/", "/"), 0);
    EXPECT_EQ(global.LastCharPos("/", ""), 0);
    EXPECT_EQ(global.LastCharPos("/", "/a"), 1);
}

TEST_F(TextHelpers, CharPosFromEndCountsFromTheLastCharacter) {
    EXPECT_EQ(global.CharPosFromEnd("/", "a/b"), 2);
    EXPECT_EQ(global.CharPosFromEnd("/", "ab/"), 1);
    EXPECT_EQ(global.CharPosFromEnd("/", "ab"), -1);
}

TEST_F(TextHelpers, UrlToGifNameTakesTheNameBetweenTheLastSlashAndDot) {
    EXPECT_EQ(global.UrlToGifName("http://site/preview/wink01.swf"), "wink01.gif");
    EXPECT_EQ(global.UrlToGifName("http://site/preview/a.b.swf"), "a.b.gif");
    EXPECT_EQ(global.UrlToGifName("http://site.example/preview/noext"), "noext.gif");
    EXPECT_EQ(global.UrlToGifName("plain.swf"), "plain.gif");
}

TEST_F(TextHelpers, LoadCountedListReadsTheCountAndTheLines) {
    int count = -5;
    std::vector<std::string> list;
    WriteFile(folder.File("count.txt"), "3\r\nu1\nu2\r\n\r\nu3");
    EXPECT_EQ(global.LoadCountedList(folder.File("count.txt"), count, list), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(list, (std::vector<std::string>{"u1", "u2", "", "u3"}));

    WriteFile(folder.File("bom.txt"), "\xEF\xBB\xBF" "60\r\nhttp://a/b.swf\r\n");
    EXPECT_EQ(global.LoadCountedList(folder.File("bom.txt"), count, list), 0);
    EXPECT_EQ(count, 60);
    EXPECT_EQ(list, (std::vector<std::string>{"http://a/b.swf"}));
}

TEST_F(TextHelpers, LoadCountedListFailsWithCountZero) {
    int count = 9;
    std::vector<std::string> list;
    WriteFile(folder.File("letters.txt"), "three\r\nu1\r\n");
    EXPECT_EQ(global.LoadCountedList(folder.File("letters.txt"), count, list), -1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list, (std::vector<std::string>{"three", "u1"})) << "the list keeps what was loaded";

    count = 9;
    WriteFile(folder.File("empty.txt"), "");
    EXPECT_EQ(global.LoadCountedList(folder.File("empty.txt"), count, list), -1);
    EXPECT_EQ(count, 0);
    count = 9;
    EXPECT_EQ(global.LoadCountedList(folder.File("missing.txt"), count, list), -1);
    EXPECT_EQ(count, 0);
    WriteFile(folder.File("page.txt"), "<html>\r\n");
    EXPECT_EQ(global.LoadCountedList(folder.File("page.txt"), count, list), -1);
    WriteFile(folder.File("huge.txt"), "99999999999\r\n");
    EXPECT_EQ(global.LoadCountedList(folder.File("huge.txt"), count, list), -1);
}
