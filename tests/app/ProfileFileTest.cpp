#include "ProfileFile.h"
#include "TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(ProfileFile, FilesEditedOnWindowsReadAndWriteAsThereThroughLinksAndNeverOverAReadOnlyFile) {
    TempFolder folder;
    // A byte-order mark and quoted values, as Windows editors and users leave them.
    const std::string marked = folder.File("marked.ini");
    WriteFile(marked, "\xEF\xBB\xBF[Config]\r\nSkinFile=\"Blue Sky.sui\"\r\nOther='single'\r\nHalf=\"open\r\n");
    ProfileFile file(marked);
    EXPECT_EQ(file.ReadString("Config", "SkinFile", "x"), "Blue Sky.sui");
    EXPECT_EQ(file.ReadString("Config", "Other", "x"), "single");
    EXPECT_EQ(file.ReadString("Config", "Half", "x"), "\"open");
    file.WriteString("Config", "ShowStatus", "0");
    EXPECT_EQ(ReadFile(marked), "\xEF\xBB\xBF[Config]\r\nSkinFile=\"Blue Sky.sui\"\r\nOther='single'\r\nHalf=\"open\r\n"
                                "ShowStatus=0\r\n");

    // A link is written through and stays a link; the new file gets the umask's permissions.
    const std::string target = folder.File("real/settings.ini");
    WriteFile(target, "[Config]\r\nA=1\r\n");
    std::filesystem::create_symlink(target, folder.File("link.ini"));
    ProfileFile(folder.File("link.ini")).WriteString("Config", "A", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.ini")));
    EXPECT_EQ(ReadFile(target), "[Config]\r\nA=2\r\n");
    const mode_t mask = umask(022);
    ProfileFile(folder.File("fresh.ini")).WriteString("Config", "A", "1");
    umask(mask);
    EXPECT_EQ(std::filesystem::status(folder.File("fresh.ini")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0644));

    // A read-only file is kept, for the administrator too, and the write fails.
    std::filesystem::permissions(target, std::filesystem::perms(0444));
    EXPECT_THROW(ProfileFile(folder.File("link.ini")).WriteString("Config", "A", "3"), std::runtime_error);
    EXPECT_EQ(ReadFile(target), "[Config]\r\nA=2\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("real")), {}), 1) << "no temporary file is left";
}
