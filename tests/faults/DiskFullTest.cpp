// A full disk under the application folder while settings, a user list and
// a pack are written: the write fails with the program's message and the file
// that was there before is left byte for byte, with no temporary file beside it.
#include "CabOpt.h"
#include "CabinetExtractor.h"
#include "CatalogueDocument.h"
#include "FaultSupport.h"
#include "WinksGlobal.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace quillane;
using namespace quillane::testing;
namespace fs = std::filesystem;

namespace {

const std::string kOldConfig = "[Config]\r\nCurrentWinks=57\r\nSkinFile=Blue.sui\r\nDownloadBase=http://mirror/\r\n";

class DiskFull : public ::testing::Test {
protected:
    std::string App() const { return temp.Folder() + "app"; }
    std::string AppFile(const std::string& name) const { return App() + "/" + name; }

    TempFolder temp;
};

TEST_F(DiskFull, SavingSettingsFailsWithThePathAndKeepsConfigIni) {
    SmallDisk disk(App(), 64);
    QUILLANE_REQUIRE_MOUNT(disk);
    WriteFile(AppFile("Config.ini"), kOldConfig);
    TGlobal global(App() + "/");
    disk.FillLeaving(0);
    const auto before = Snapshot(App());
    global.SkinFile = "Normal";
    global.ShowToolbar = false;
    try {
        global.SaveSettings();
        FAIL() << "saving on a full disk did not fail";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + AppFile("Config.ini"));
    }
    EXPECT_EQ(Snapshot(App()), before) << "Config.ini changed or a temporary file remained";
    EXPECT_EQ(ReadFile(AppFile("Config.ini")), kOldConfig);
    EXPECT_EQ(TGlobal(App() + "/").SkinFile, "Blue.sui");
}

TEST_F(DiskFull, SavingAListFailsAndKeepsTheOldList) {
    SmallDisk disk(App(), 64);
    QUILLANE_REQUIRE_MOUNT(disk);
    const std::string list = AppFile("mine.mpl");
    const std::string old = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ContentList><Emoticons>"
                            "<Item ContentTitle=\"First\" DownloadUrl=\"a\"/></Emoticons></ContentList>";
    WriteFile(list, old);
    TCatalogueDocument document;
    document.Load(list);
    const CatalogueNode item = document.AddChild(document.Child(document.Root(), 0), "Item");
    document.SetAttribute(item, "ContentTitle", std::string(20000, 'x'));
    disk.FillLeaving(0);
    const auto before = Snapshot(App());
    try {
        document.Save(list);
        FAIL() << "saving on a full disk did not fail";
    } catch (const ECatalogueError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot write to " + list);
    }
    try {
        WriteNewListTemplate(list);
        FAIL() << "a new list on a full disk did not fail";
    } catch (const ECatalogueError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create " + list);
    }
    EXPECT_EQ(Snapshot(App()), before);
    EXPECT_EQ(ReadFile(list), old);
}

class FullDiskPack : public DiskFull {
protected:
    void SetUp() override {
        manifest = temp.File("content.xml");
        WriteFile(manifest, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<package>\r\n </package>\r\n");
        const std::string picture = temp.File("photo.gif");
        WriteFile(picture, "GIF89a" + NoiseBytes(40000, 5));
        contents.DisplayPictures.push_back({"photo", "", picture});
        oldPack = ReadFile(AppFolder() + "msnpack/heart.QZK");
        ASSERT_FALSE(oldPack.empty());
    }

    // Whether the file is a whole .QZK pack: the cabinet less its first byte, extracting cleanly.
    bool IsWholeQzk(const std::string& path) {
        const std::string bytes = ReadFile(path);
        if (bytes.substr(0, 3) != "SCF") return false;
        const std::string cabinet = temp.File("check.cab");
        WriteFile(cabinet, "M" + bytes);
        TempFolder out;
        const auto report = ExtractCabinet(cabinet, "*.*", out.Folder(), [](const std::string&) {});
        return report.failed == 0 && report.extracted == 2 && ReadFile(out.File("photo.gif")) == ReadFile(temp.File("photo.gif"));
    }

    std::string manifest;
    TPackContents contents;
    std::string oldPack;
};

TEST_F(FullDiskPack, GeneratingOverAnOldPackFailsAndKeepsIt) {
    SmallDisk disk(App(), 256);
    QUILLANE_REQUIRE_MOUNT(disk);
    for (const std::string name : {"mine.QZK", "mine.QZC"}) {
        const std::string path = AppFile(name);
        WriteFile(path, oldPack);
        disk.FillLeaving(8 * 1024);
        const auto before = Snapshot(App());
        try {
            BuildCabinet(path, contents, manifest, [] {});
            ADD_FAILURE() << name << ": generating on a full disk did not fail";
        } catch (const ECabinetError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot write the pack " + path + ".");
        }
        EXPECT_EQ(Snapshot(App()), before) << name;
        fs::remove(AppFile("filler.bin"));
    }
}

// Room for the new pack once, not twice: a .QZK is written in one go, so the
// old pack is never given up for a file that is not yet the finished pack.
TEST_F(FullDiskPack, AQzkPackNeedsRoomForItselfOnly) {
    SmallDisk disk(App(), 256);
    QUILLANE_REQUIRE_MOUNT(disk);
    const std::string path = AppFile("mine.QZK");
    WriteFile(path, oldPack);
    disk.FillLeaving(64 * 1024);
    try {
        BuildCabinet(path, contents, manifest, [] {});
    } catch (const ECabinetError& error) {
        ADD_FAILURE() << error.what();
        EXPECT_EQ(ReadFile(path), oldPack) << "the old pack was lost";
    }
    EXPECT_TRUE(IsWholeQzk(path)) << "the file is neither the old pack nor the new one";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(App())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"filler.bin", "mine.QZK"}));
}

TEST_F(FullDiskPack, ShorteningACabinetIntoAQzkFailsAndKeepsTheCabinet) {
    SmallDisk disk(App(), 256);
    QUILLANE_REQUIRE_MOUNT(disk);
    const std::string path = AppFile("mine.QZK");
    WriteFile(path, "M" + oldPack + NoiseBytes(30000, 9));
    const std::string cabinet = ReadFile(path);
    disk.FillLeaving(8 * 1024);
    const auto before = Snapshot(App());
    try {
        MakeQzkFile(path);
        FAIL() << "shortening on a full disk did not fail";
    } catch (const ECabinetError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot write the pack " + path + ".");
    }
    EXPECT_EQ(Snapshot(App()), before);
    EXPECT_EQ(ReadFile(path), cabinet);
}

}  // namespace
