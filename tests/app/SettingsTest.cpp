#include "TempFolder.h"
#include "WinksGlobal.h"

#include <filesystem>
#include <unistd.h>
#include <gtest/gtest.h>

using quillane::TGlobal;
using quillane::testing::ReadFile;
using quillane::testing::TempFolder;
using quillane::testing::WriteFile;

TEST(Settings, DefaultsWithoutConfigFile) {
    TempFolder folder;
    TGlobal global(folder.Folder());
    EXPECT_EQ(global.AppPath, folder.Folder());
    EXPECT_EQ(global.ConfigFile, folder.Folder() + "Config.ini");
    EXPECT_EQ(global.CurrentWinks, 0);
    EXPECT_EQ(global.SkinFile, "MacOS.sui");
    EXPECT_EQ(global.SkinPath, folder.Folder() + "Skins/MacOS.sui");
    EXPECT_EQ(global.PreviewDir, folder.Folder() + "Preview/");
    EXPECT_EQ(global.DownAfterInstall, 1);
    EXPECT_TRUE(global.ShowToolbar);
    EXPECT_TRUE(global.ShowStatus);
    EXPECT_TRUE(global.PackToInstall.empty());
    EXPECT_EQ(global.DownloadBase, quillane::kDefaultDownloadBase);
    EXPECT_EQ(global.TempDir.back(), '/');
    EXPECT_FALSE(std::filesystem::exists(global.ConfigFile)) << "reading must not create the file";
}

TEST(Settings, ValuesReadFromTheFile) {
    TempFolder folder;
    WriteFile(folder.File("Config.ini"),
              "[Config]\r\nCurrentWinks=57\r\nSkinFile=Normal\r\nDownAfterInstall=0x1\r\nShowToolbar=0\r\n"
              "ShowStatus=yes\r\nDownloadBase=http://127.0.0.1:8080/site/\r\n");
    TGlobal global(folder.Folder());
    EXPECT_EQ(global.CurrentWinks, 57);
    EXPECT_EQ(global.SkinFile, "Normal");
    EXPECT_EQ(global.SkinPath, folder.Folder() + "Skins/Normal");
    EXPECT_EQ(global.DownAfterInstall, 1);
    EXPECT_FALSE(global.ShowToolbar);
    EXPECT_TRUE(global.ShowStatus) << "a value that is not a number gives the default";
    EXPECT_EQ(global.DownloadBase, "http://127.0.0.1:8080/site/");
}

TEST(Settings, SaveWritesTheFiveKeysInOrderAndKeepsForeignOnes) {
    TempFolder folder;
    TGlobal fresh(folder.Folder());
    fresh.ShowStatus = false;
    fresh.SaveSettings();
    EXPECT_EQ(ReadFile(fresh.ConfigFile),
              "[Config]\r\nCurrentWinks=0\r\nSkinFile=MacOS.sui\r\nDownAfterInstall=1\r\nShowToolbar=1\r\nShowStatus=0\r\n");

    WriteFile(fresh.ConfigFile, "[Config]\r\nDownloadBase=http://mirror/\r\nShowStatus=1\r\n[Window]\r\nLeft=3\r\n");
    TGlobal global(folder.Folder());
    global.CurrentWinks = 12;
    global.SaveSettings();
    EXPECT_EQ(ReadFile(global.ConfigFile),
              "[Config]\r\nDownloadBase=http://mirror/\r\nShowStatus=1\r\nCurrentWinks=12\r\nSkinFile=MacOS.sui\r\n"
              "DownAfterInstall=1\r\nShowToolbar=1\r\n[Window]\r\nLeft=3\r\n");
    TGlobal reread(folder.Folder());
    EXPECT_EQ(reread.CurrentWinks, 12);
    EXPECT_EQ(reread.DownloadBase, "http://mirror/");
}

TEST(Settings, SaveFailsWithThePathWhenTheFolderCannotBeWritten) {
    TempFolder folder;
    TGlobal global(folder.Folder());
    // A config path below a plain file cannot be written, whoever runs the test.
    WriteFile(folder.File("app"), "");
    global.ConfigFile = folder.File("app") + "/Config.ini";
    global.SkinFile = "Blue.sui";
    try {
        global.SaveSettings();
        FAIL() << "SaveSettings did not fail";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + global.ConfigFile);
    }
    EXPECT_EQ(global.SkinFile, "Blue.sui") << "the new value stays in memory";
}

TEST(Settings, SaveFailsOnAReadOnlyFileSystemAndKeepsTheFile) {
    TempFolder folder;
    WriteFile(folder.File("Config.ini"), "[Config]\r\nSkinFile=Blue.sui\r\n");
    // A read-only mount refuses writes even to root, who ignores permission bits.
    const std::string mount = "mount --bind '" + folder.Path().string() + "' '" + folder.Path().string() +
                              "' && mount -o remount,bind,ro '" + folder.Path().string() + "'";
    if (std::system((mount + " 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "this machine cannot mount file systems";
    TGlobal global(folder.Folder());
    global.SkinFile = "Normal";
    EXPECT_THROW(global.SaveSettings(), std::runtime_error);
    std::system(("umount '" + folder.Path().string() + "'").c_str());
    EXPECT_EQ(ReadFile(folder.File("Config.ini")), "[Config]\r\nSkinFile=Blue.sui\r\n");
    EXPECT_EQ(global.SkinFile, "Normal");
}

TEST(Settings, AWritableFolderIsItsOwnUserFolder) {
    TempFolder folder;
    const quillane::TProgramFolders folders = quillane::ProgramFolders(folder.Folder());
    EXPECT_EQ(folders.AppPath, folder.Folder());
    EXPECT_EQ(folders.UserPath, folder.Folder());
    EXPECT_EQ(folders.ConfigFile, folder.Folder() + "Config.ini");
    TGlobal global(folders);
    EXPECT_EQ(global.UserPath, folder.Folder());
    EXPECT_EQ(global.CatalogueFile(), folder.Folder() + "content.dat");
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << "the portable layout makes nothing at start";
}

TEST(Settings, AFolderTheUserMayNotWriteIsInstalled) {
    TempFolder app, home;
    std::filesystem::permissions(app.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (access(app.Folder().c_str(), W_OK) == 0) GTEST_SKIP() << "this user may write into any folder (root)";
    setenv("XDG_DATA_HOME", home.File("data").c_str(), 1);
    EXPECT_EQ(quillane::ProgramFolders(app.Folder()).UserPath, home.Folder() + "data/Quillane/");
    unsetenv("XDG_DATA_HOME");
}

TEST(Settings, AnInstalledFolderWritesBelowTheXdgFoldersOfTheUser) {
    TempFolder app, home;
    WriteFile(app.File("system-wide"), "");
    WriteFile(app.File("content.dat"), "bundled");
    WriteFile(app.File("Preview/heart.swf"), "bundled movie");
    setenv("XDG_DATA_HOME", home.File("data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    const quillane::TProgramFolders folders = quillane::ProgramFolders(app.Folder());
    EXPECT_EQ(folders.UserPath, home.Folder() + "data/Quillane/");
    EXPECT_EQ(folders.ConfigFile, home.Folder() + "config/Quillane/Config.ini");

    TGlobal global(folders);
    EXPECT_EQ(global.AppPath, app.Folder());
    EXPECT_EQ(global.SkinPath, app.Folder() + "Skins/MacOS.sui");
    EXPECT_EQ(global.PreviewDir, app.Folder() + "Preview/");
    EXPECT_TRUE(std::filesystem::is_directory(home.File("data/Quillane/msnpack")));
    EXPECT_TRUE(std::filesystem::is_directory(home.File("data/Quillane/Preview")));
    EXPECT_TRUE(std::filesystem::is_directory(home.File("config/Quillane")));
    EXPECT_FALSE(std::filesystem::exists(global.ConfigFile)) << "reading must not create the file";
    global.ShowToolbar = false;
    global.SaveSettings();
    EXPECT_NE(ReadFile(home.File("config/Quillane/Config.ini")).find("ShowToolbar=0\r\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(app.File("Config.ini")));

    // The user's own copy of a file takes the installed one's place.
    EXPECT_EQ(global.CatalogueFile(), app.Folder() + "content.dat");
    EXPECT_EQ(global.UserOrAppFile("Preview/heart.swf"), app.Folder() + "Preview/heart.swf");
    WriteFile(home.File("data/Quillane/content.dat"), "updated");
    WriteFile(home.File("data/Quillane/Preview/heart.swf"), "downloaded");
    EXPECT_EQ(global.CatalogueFile(), home.Folder() + "data/Quillane/content.dat");
    EXPECT_EQ(global.UserOrAppFile("Preview/heart.swf"), home.Folder() + "data/Quillane/Preview/heart.swf");
    EXPECT_EQ(global.UserOrAppFile("Preview/star.swf"), app.Folder() + "Preview/star.swf");
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}

TEST(Settings, WithoutXdgVariablesTheUserFoldersAreBelowHome) {
    TempFolder app, home;
    WriteFile(app.File("system-wide"), "");
    const char* savedHome = std::getenv("HOME");
    const std::string oldHome = savedHome ? savedHome : "";
    setenv("HOME", home.Path().c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    const quillane::TProgramFolders folders = quillane::ProgramFolders(app.Folder());
    EXPECT_EQ(folders.UserPath, home.Folder() + ".local/share/Quillane/");
    EXPECT_EQ(folders.ConfigFile, home.Folder() + ".config/Quillane/Config.ini");
    if (savedHome) setenv("HOME", oldHome.c_str(), 1);
    else unsetenv("HOME");
}
