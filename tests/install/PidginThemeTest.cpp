#include "PidginTheme.h"
#include "PidginThemeReader.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace quillane;
using quillane::testing::ReadFile;
using quillane::testing::TempFolder;
using quillane::testing::WriteFile;

namespace {

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool NeedsNoQuoting(const std::string& name) {
    return !name.empty() && name.front() != '.' && name.front() != '!' &&
           name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-") == std::string::npos;
}

TEST(PidginTheme, PicturesAndShortcutsReadBackAndAShortcutWithASpaceIsLeftOut) {
    TempFolder temp;
    WriteFile(temp.File("pack/smile face!.gif"), "GIF89a smile");
    WriteFile(temp.File("pack/grin.gif"), "GIF89a grin");
    const TPidginTheme theme{"My faces", "Faces", "Someone",
                             {{temp.File("pack/smile face!.gif"), ":)"},
                              {temp.File("pack/grin.gif"), ":D"},
                              {temp.File("pack/smile face!.gif"), ":-)"},
                              {temp.File("pack/grin.gif"), "big grin"}}};
    const std::string folder = ThemeFolder(temp.Folder() + "smileys/", theme.name);
    const TThemeWritten written = WritePidginTheme(theme, folder);
    EXPECT_EQ(written.pictures, 2);
    EXPECT_EQ(written.shortcutsLeftOut, 1);

    const auto read = quillane::testing::ReadPidginTheme(folder);
    EXPECT_EQ(read.keys.at("Name"), "My faces");
    EXPECT_EQ(read.keys.at("Description"), "Faces");
    EXPECT_EQ(read.keys.at("Author"), "Someone");
    ASSERT_EQ(read.smileys.size(), 2u);
    EXPECT_EQ(read.keys.at("Icon"), read.smileys[0].first);
    EXPECT_EQ(ReadFile(folder + read.smileys[0].first), "GIF89a smile");
    EXPECT_EQ(read.smileys[0].second, (std::vector<std::string>{":)", ":-)"}));
    EXPECT_EQ(ReadFile(folder + read.smileys[1].first), "GIF89a grin");
    EXPECT_EQ(read.smileys[1].second, (std::vector<std::string>{":D"}));
    for (const auto& [file, shortcuts] : read.smileys) EXPECT_TRUE(NeedsNoQuoting(file)) << file;
    EXPECT_EQ(Entries(temp.Folder() + "smileys/"), std::vector<std::string>{"My faces"});
}

TEST(PidginTheme, AnExistingThemeIsReplacedWholeOrNotAtAll) {
    TempFolder temp;
    const std::string folder = temp.Folder() + "smileys/faces/";
    WriteFile(folder + "theme", "Name=faces\n\n[default]\nold.gif :)\n");
    WriteFile(folder + "old.gif", "GIF89a old");
    WriteFile(temp.File("new.gif"), "GIF89a new");

    const TPidginTheme broken{"faces", "", "", {{temp.File("new.gif"), ":)"}, {temp.File("missing.gif"), ":("}}};
    EXPECT_THROW(WritePidginTheme(broken, folder), EPidginThemeError);
    EXPECT_EQ(Entries(folder), (std::vector<std::string>{"old.gif", "theme"}));
    EXPECT_EQ(ReadFile(folder + "theme"), "Name=faces\n\n[default]\nold.gif :)\n");
    EXPECT_EQ(Entries(temp.Folder() + "smileys/"), std::vector<std::string>{"faces"});

    WritePidginTheme({"faces", "", "", {{temp.File("new.gif"), ":)"}}}, folder);
    EXPECT_EQ(Entries(folder), (std::vector<std::string>{"new.gif", "theme"}));
    EXPECT_EQ(quillane::testing::ReadPidginTheme(folder).smileys.at(0).first, "new.gif");
    EXPECT_EQ(Entries(temp.Folder() + "smileys/"), std::vector<std::string>{"faces"});
}

// Themes kept in a dotfiles folder and linked in: the link is replaced, and
// what it pointed at is left whole.
TEST(PidginTheme, ALinkedThemeIsReplacedAsALinkAndItsTargetKept) {
    TempFolder temp;
    WriteFile(temp.File("pack/a.gif"), "GIF89a a");
    WriteFile(temp.File("dotfiles/faces/theme"), "Name=faces\n");
    WriteFile(temp.File("dotfiles/faces/old.gif"), "GIF89a old");
    fs::create_directories(temp.File("smileys"));
    fs::create_directory_symlink(temp.File("dotfiles/faces/"), temp.File("smileys/faces"));

    WritePidginTheme({"faces", "", "", {{temp.File("pack/a.gif"), ":a"}}}, temp.File("smileys/faces/"));
    EXPECT_FALSE(fs::is_symlink(temp.File("smileys/faces")));
    EXPECT_EQ(ReadFile(temp.File("smileys/faces/a.gif")), "GIF89a a");
    EXPECT_EQ(Entries(temp.File("dotfiles/faces/")), (std::vector<std::string>{"old.gif", "theme"}));
    EXPECT_EQ(Entries(temp.File("smileys/")), std::vector<std::string>{"faces"});
}

}  // namespace
