// A read-only application folder or content store: every write fails with
// the program's message and nothing that was there is lost or added.
#include "CabOpt.h"
#include "CatalogueDocument.h"
#include "ContentStore.h"
#include "FaultSupport.h"
#include "PackFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace quillane;
using namespace quillane::testing;
namespace fs = std::filesystem;

namespace {

class ReadOnly : public ::testing::Test {
protected:
    std::string App() const { return temp.Folder() + "app"; }
    std::string AppFile(const std::string& name) const { return App() + "/" + name; }
    TempFolder temp;
};

TEST_F(ReadOnly, SavingOrStartingAListFailsAndKeepsTheOldOne) {
    const std::string list = AppFile("mine.mpl");
    const std::string old = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ContentList><Winks>"
                            "<Item ContentTitle=\"First\" DownloadUrl=\"a\"/></Winks></ContentList>";
    WriteFile(list, old);
    const ReadOnlyFolder readOnly(App());
    QUILLANE_REQUIRE_MOUNT(readOnly);
    const auto before = Snapshot(App());
    TCatalogueDocument document;
    document.Load(list);
    document.SetAttribute(document.AddChild(document.Child(document.Root(), 0), "Item"), "ContentTitle", "New");
    try {
        document.Save(list);
        ADD_FAILURE() << "saving into a read-only folder did not fail";
    } catch (const ECatalogueError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot write to " + list);
    }
    try {
        WriteNewListTemplate(AppFile("new.mpl"));
        ADD_FAILURE() << "a new list in a read-only folder did not fail";
    } catch (const ECatalogueError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create " + AppFile("new.mpl"));
    }
    EXPECT_EQ(Snapshot(App()), before);
}

TEST_F(ReadOnly, GeneratingAPackFailsAndKeepsTheOldPack) {
    const std::string picture = temp.File("smile.gif");
    WriteFile(picture, "GIF89a smile");
    const std::string manifest = temp.File("content.xml");
    WriteFile(manifest, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<package>\r\n </package>\r\n");
    TPackContents contents;
    contents.Emoticons.push_back({"smile", "/smile", picture});
    const std::string oldPack = ReadFile(AppFolder() + "msnpack/heart.QZK");
    WriteFile(AppFile("mine.QZK"), oldPack);
    const ReadOnlyFolder readOnly(App());
    QUILLANE_REQUIRE_MOUNT(readOnly);
    const auto before = Snapshot(App());
    for (const std::string name : {"mine.QZK", "other.QZC"}) {
        try {
            BuildCabinet(AppFile(name), contents, manifest, [] {});
            ADD_FAILURE() << name << ": generating into a read-only folder did not fail";
        } catch (const ECabinetError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot write the pack " + AppFile(name) + ".");
        }
    }
    EXPECT_EQ(Snapshot(App()), before);
}

class ReadOnlyStore : public ReadOnly {
protected:
    std::string StoreFolder() const { return temp.Folder() + "store/"; }
    IsolatedEnvironment environment;
};

TEST_F(ReadOnlyStore, OpeningItRaisesWithTheReason) {
    fs::create_directories(StoreFolder() + "packs");
    const ReadOnlyFolder readOnly(StoreFolder());
    QUILLANE_REQUIRE_MOUNT(readOnly);
    try {
        TContentStore store(StoreFolder());
        FAIL() << "a read-only store opened";
    } catch (const EContentStoreError& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Cannot open the content store: Cannot create " + StoreFolder() + ".open-", 0), 0u) << text;
        EXPECT_TRUE(text.ends_with(": Read-only file system")) << text;
    }
    EXPECT_EQ(Snapshot(StoreFolder()), (std::map<std::string, std::string>{{"packs", "<folder>"}}));
}

TEST_F(ReadOnlyStore, AnInstallIntoAStoreThatTurnedReadOnlyFailsAndChangesNothing) {
    TContentStore store(StoreFolder());
    MakeEmoticonCabinet(temp.File("pack.cab"));
    ASSERT_EQ(store.Install(temp.File("pack.cab"), "first"), kInstalled);
    const auto before = Snapshot(StoreFolder());
    const ReadOnlyFolder readOnly(StoreFolder());
    QUILLANE_REQUIRE_MOUNT(readOnly);
    EXPECT_EQ(store.Install(temp.File("pack.cab"), "second"), kStoreNotWritable);
    EXPECT_EQ(Snapshot(StoreFolder()), before);
    EXPECT_EQ(store.Packs().size(), 1u);
}

}  // namespace
