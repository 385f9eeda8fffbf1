#include "TempFolder.h"
#include "PrivateFolder.h"
#include "WinksGlobal.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using quillane::TGlobal;
using quillane::testing::ReadFile;
using quillane::testing::TempFolder;
using quillane::testing::WriteFile;

class FileHelpers : public ::testing::Test {
protected:
    TempFolder folder;
    TGlobal global{folder.Folder()};
};

TEST_F(FileHelpers, FindNonXmlFileSkipsXmlFilesAndFolders) {
    const std::string dir = folder.Folder() + "x/";
    WriteFile(dir + "content.xml", "<a/>");
    WriteFile(dir + "inner.cab", "MSCF");
    fs::create_directories(dir + "sub.folder");
    EXPECT_EQ(global.FindNonXmlFile(dir), "inner.cab");

    const std::string onlyXml = folder.Folder() + "y/";
    WriteFile(onlyXml + "content.XML", "<a/>");
    fs::create_directories(onlyXml + "child");
    EXPECT_EQ(global.FindNonXmlFile(onlyXml), "");
    EXPECT_EQ(global.FindNonXmlFile(folder.Folder() + "missing/"), "");
}

TEST_F(FileHelpers, FindSwfFileIgnoresCase) {
    WriteFile(folder.File("MOVIE.Swf"), "FWS");
    WriteFile(folder.File("other.swf.xml"), "");
    EXPECT_EQ(global.FindSwfFile(folder.Folder()), "MOVIE.Swf");
    EXPECT_EQ(global.FindSwfFile(folder.Folder() + "missing/"), "");
}

TEST_F(FileHelpers, DeleteFilesByMaskRemovesTheFolderOnlyWhenEmpty) {
    const std::string dir = folder.Folder() + "~Quillane/";
    WriteFile(dir + "content.xml", "");
    WriteFile(dir + "MORE.XML", "");
    WriteFile(dir + "inner.cab", "");
    global.DeleteFiles(dir, "*.XML");
    EXPECT_TRUE(fs::exists(dir + "inner.cab"));
    EXPECT_FALSE(fs::exists(dir + "content.xml"));
    EXPECT_FALSE(fs::exists(dir + "MORE.XML"));

    WriteFile(dir + "noextension", "");
    WriteFile(dir + "sub/deep.swf", "");
    global.DeleteFiles(dir, "*.*");
    EXPECT_FALSE(fs::exists(dir)) << "the emptied folder goes too";
    global.DeleteFiles(dir, "*.*");  // a missing folder is no error
}

TEST_F(FileHelpers, RestoreCabinetPutsTheSignatureBack) {
    WriteFile(folder.File("pack.QZK"), "SCF\x01\x02rest");
    WriteFile(folder.File("temp.cab"), "an older and much longer cabinet");
    EXPECT_TRUE(global.RestoreCabinet(folder.File("pack.QZK"), folder.File("temp.cab")));
    EXPECT_EQ(ReadFile(folder.File("temp.cab")), "MSCF\x01\x02rest");
}

TEST_F(FileHelpers, RestoreCabinetFromAMissingSourceLeavesDestAlone) {
    WriteFile(folder.File("temp.cab"), "keep");
    EXPECT_FALSE(global.RestoreCabinet(folder.File("missing.QZK"), folder.File("temp.cab")));
    EXPECT_EQ(ReadFile(folder.File("temp.cab")), "keep");
    EXPECT_FALSE(global.RestoreCabinet(folder.File("missing.QZK"), folder.File("absent.cab")));
    EXPECT_FALSE(fs::exists(folder.File("absent.cab")));
}

TEST_F(FileHelpers, RestoreCabinetFromAFolderFails) {
    fs::create_directories(folder.File("named.QZK"));
    EXPECT_FALSE(global.RestoreCabinet(folder.File("named.QZK"), folder.File("temp.cab")));
    EXPECT_FALSE(fs::exists(folder.File("temp.cab")));
}

TEST_F(FileHelpers, RestoreCabinetCopiesALargePackInPiecesAndCanBeStopped) {
    std::string pack(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < pack.size(); ++i) pack[i] = static_cast<char>(i % 253);
    WriteFile(folder.File("pack.QZK"), pack);
    int pieces = 0;
    EXPECT_TRUE(global.RestoreCabinet(folder.File("pack.QZK"), folder.File("temp.cab"), [&] { return ++pieces > 0; }));
    EXPECT_EQ(ReadFile(folder.File("temp.cab")), "M" + pack);
    EXPECT_EQ(pieces, 4);
    // Stopped after its first piece: the old file stays, and no part is left beside it.
    WriteFile(folder.File("temp.cab"), "keep");
    EXPECT_FALSE(global.RestoreCabinet(folder.File("pack.QZK"), folder.File("temp.cab"), [] { return false; }));
    EXPECT_EQ(ReadFile(folder.File("temp.cab")), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 2);
}

TEST_F(FileHelpers, RestoreCabinetIntoAMissingFolderFailsCleanly) {
    WriteFile(folder.File("pack.QZK"), "SCF");
    EXPECT_FALSE(global.RestoreCabinet(folder.File("pack.QZK"), folder.Folder() + "nofolder/temp.cab"));
}

TEST_F(FileHelpers, RunAndWaitReturnsTheExitCode) {
    EXPECT_EQ(global.RunAndWait("/bin/sh -c \"exit 7\"", quillane::SW_HIDE), 7);
    EXPECT_EQ(global.RunAndWait("true", quillane::SW_HIDE), 0);
    // Arguments are grouped by quotation marks and never go through a shell.
    const std::string out = folder.File("out file.txt");
    EXPECT_EQ(global.RunAndWait("/bin/sh -c \"printf '%s|' \\\"$0\\\" \\\"$1\\\" > '" + out + "'\" \"*.*\" \"a b\"",
                                quillane::SW_HIDE),
              0);
    EXPECT_EQ(ReadFile(out), "*.*|a b|");
}

TEST_F(FileHelpers, RunAndWaitOnAMissingProgramReturnsMinusOneAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(global.RunAndWait("\"" + folder.Folder() + "cabarc\" -o X a.cab *.* out/", quillane::SW_HIDE), -1);
    EXPECT_EQ(global.RunAndWait("", quillane::SW_HIDE), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(FileHelpers, TheTemporaryFolderIsPrivateAndALinkInItIsNeverFollowed) {
    const std::string cache = folder.Folder() + "cache/";
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    // A runtime folder that another user owns, or that others may enter, is passed over.
    const std::string foreign = folder.Folder() + "foreign";
    fs::create_directory(foreign);
    fs::permissions(foreign, fs::perms::owner_all);
    // Only the administrator can give a folder away; other users test the open folder alone.
    const bool givenAway = chown(foreign.c_str(), 65534, 65534) == 0;
    const std::string open = folder.Folder() + "open";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_exec);
    for (const std::string& runtime : givenAway ? std::vector<std::string>{foreign, open} : std::vector<std::string>{open}) {
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        EXPECT_EQ(TGlobal::GetTempDir(), cache + "Quillane/");
    }
    EXPECT_EQ(fs::status(cache + "Quillane").permissions(), fs::perms::owner_all);

    // Someone planted a link under the cache folder's name: a fresh private folder is made instead.
    const std::string victim = folder.Folder() + "home/";
    WriteFile(victim + "letter.txt", "precious");
    fs::remove(cache + "Quillane");
    fs::create_directory_symlink(victim, cache + "Quillane");
    const std::string chosen = TGlobal::GetTempDir();
    EXPECT_EQ(chosen.rfind(cache + "Quillane-", 0), 0u) << chosen;
    EXPECT_TRUE(quillane::IsPrivateFolder(chosen));

    // Emptying a folder that is a link removes the link, not what it points at.
    global.DeleteFiles(cache + "Quillane/", "*.*");
    EXPECT_EQ(ReadFile(victim + "letter.txt"), "precious");
    EXPECT_FALSE(fs::exists(cache + "Quillane"));
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("XDG_CACHE_HOME");
}
