#include "ProfileFile.h"
#include "TempFolder.h"

#include <gtest/gtest.h>


using quillane::ParseProfileInteger;
using quillane::ProfileFile;
using quillane::testing::ReadFile;
using quillane::testing::TempFolder;
using quillane::testing::WriteFile;

TEST(ProfileFile, ReadsKeysWithoutRegardToCaseAndTrimsValues) {
    TempFolder folder;
    WriteFile(folder.File("a.ini"), "; a comment\r\n[other]\r\nSkinFile=Wrong.sui\r\n[CONFIG]\r\n  skinfile =  Blue.sui  \r\n");
    ProfileFile file(folder.File("a.ini"));
    EXPECT_EQ(file.ReadString("Config", "SkinFile", "x"), "Blue.sui");
    EXPECT_EQ(file.ReadString("Config", "Missing", "fallback"), "fallback");
    EXPECT_EQ(file.ReadString("Nowhere", "SkinFile", "fallback"), "fallback");
    EXPECT_EQ(ProfileFile(folder.File("none.ini")).ReadInteger("Config", "A", 7), 7);
}

TEST(ProfileFile, IntegersAreDecimalOrHexadecimalAndAnythingElseGivesTheDefault) {
    EXPECT_EQ(ParseProfileInteger("57"), 57);
    EXPECT_EQ(ParseProfileInteger(" -3 "), -3);
    EXPECT_EQ(ParseProfileInteger("0x1"), 1);
    EXPECT_EQ(ParseProfileInteger("0X1f"), 31);
    EXPECT_EQ(ParseProfileInteger("0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseProfileInteger("0x"), std::nullopt);
    EXPECT_EQ(ParseProfileInteger("yes"), std::nullopt);
    EXPECT_EQ(ParseProfileInteger("12abc"), std::nullopt);
    EXPECT_EQ(ParseProfileInteger(""), std::nullopt);
    EXPECT_EQ(ParseProfileInteger("99999999999"), std::nullopt);
}

TEST(ProfileFile, WritesReplaceInPlaceAndKeepEverythingElse) {
    TempFolder folder;
    const std::string path = folder.File("Config.ini");
    WriteFile(path, "; keep me\r\n[Config]\r\nCurrentWinks=3\r\nForeign=kept\r\n\r\n[Other]\r\nKey=1\r\n");
    ProfileFile file(path);
    file.WriteString("config", "currentwinks", "57");
    file.WriteString("Config", "ShowStatus", "0");
    file.WriteString("Third", "Key", "x");
    EXPECT_EQ(ReadFile(path),
              "; keep me\r\n[Config]\r\ncurrentwinks=57\r\nForeign=kept\r\nShowStatus=0\r\n\r\n[Other]\r\nKey=1\r\n"
              "\r\n[Third]\r\nKey=x\r\n");
}

TEST(ProfileFile, KeepsTheLineBreaksOfTheFileAndCreatesAMissingFile) {
    TempFolder folder;
    WriteFile(folder.File("unix.ini"), "[Config]\nA=1\n");
    ProfileFile(folder.File("unix.ini")).WriteString("Config", "B", "2");
    EXPECT_EQ(ReadFile(folder.File("unix.ini")), "[Config]\nA=1\nB=2\n");

    ProfileFile(folder.File("new.ini")).WriteString("Config", "A", "1");
    EXPECT_EQ(ReadFile(folder.File("new.ini")), "[Config]\r\nA=1\r\n");
}

TEST(ProfileFile, AFailedWriteNamesThePathAndLeavesTheFileAlone) {
    TempFolder folder;
    WriteFile(folder.File("blocker"), "not a folder");
    const std::string path = folder.File("blocker") + "/Config.ini";
    try {
        ProfileFile(path).WriteString("Config", "A", "1");
        FAIL() << "the write did not fail";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(ReadFile(folder.File("blocker")), "not a folder");
}
