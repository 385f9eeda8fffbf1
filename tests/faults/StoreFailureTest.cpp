// The content store running out of room or losing write access half-way
// through an install: afterwards it holds exactly what it held before, and
// the result says that the store could not be written.
#include "ContentInstallJob.h"
#include "ContentStore.h"
#include "FaultSupport.h"
#include "LocalSite.h"
#include "PackFixtures.h"
#include "StoreTest.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>

using namespace quillane;
using namespace quillane::testing;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// An emoticon pack of a small picture and a large one that does not compress.
void MakeLargePack(const std::string& cabinet, std::size_t largeSize) {
    MakeCabinetOf(cabinet, {{"content.xml", EmoticonManifest(EmoticonItem("small.gif", "Small", ":)") +
                                                             EmoticonItem("large.gif", "Large", ":D"))},
                            {"small.gif", "GIF89a small"},
                            {"large.gif", "GIF89a" + NoiseBytes(largeSize, 11)}});
}

class StoreFailure : public StoreTest {
protected:
    // Opens the store on the disk with one pack installed, and keeps what it holds.
    void OpenWithOnePack(SmallDisk& disk) {
        store.emplace(StoreFolder());
        MakeEmoticonCabinet(temp.File("good.cab"));
        ASSERT_EQ(store->Install(temp.File("good.cab"), "good"), kInstalled);
        (void)disk;
    }

    // The store as it stands, less the filler file that makes the disk full.
    std::map<std::string, std::string> StoreContent() const {
        auto entries = Snapshot(StoreFolder());
        entries.erase("filler.bin");
        return entries;
    }

    std::optional<TContentStore> store;
};

TEST_F(StoreFailure, TheSecondFileOfAPackDoesNotFitWhileItIsUnpacked) {
    SmallDisk disk(StoreFolder(), 64);
    QUILLANE_REQUIRE_MOUNT(disk);
    OpenWithOnePack(disk);
    const auto before = StoreContent();
    const std::string index = ReadFile(StoreFolder() + "index.xml");
    MakeLargePack(temp.File("large.cab"), 100 * 1024);
    EXPECT_EQ(store->Install(temp.File("large.cab"), "large"), kStoreNotWritable);
    EXPECT_EQ(StoreContent(), before) << "a work folder or a part of the pack remained";
    EXPECT_EQ(ReadFile(StoreFolder() + "index.xml"), index);
    EXPECT_EQ(store->Packs().size(), 1u);
}

TEST_F(StoreFailure, TheStoreFillsUpWhileThePackIsLaidOut) {
    SmallDisk disk(StoreFolder(), 512);
    QUILLANE_REQUIRE_MOUNT(disk);
    OpenWithOnePack(disk);
    // Room to unpack the large picture once, not to copy it into the store as well.
    disk.FillLeaving(150 * 1024);
    const auto before = StoreContent();
    MakeLargePack(temp.File("large.cab"), 100 * 1024);
    EXPECT_EQ(store->Install(temp.File("large.cab"), "large"), kStoreNotWritable);
    EXPECT_EQ(StoreContent(), before);
    EXPECT_EQ(store->Packs().size(), 1u);

    // With the room back, the same pack installs: the failure left nothing in the way.
    fs::remove(StoreFolder() + "filler.bin");
    EXPECT_EQ(store->Install(temp.File("large.cab"), "large"), kInstalled);
    ASSERT_EQ(store->Packs().size(), 2u);
    EXPECT_EQ(store->Packs()[1].id, 2);
}

TEST_F(StoreFailure, TheStoreBecomesReadOnlyAfterItWasOpened) {
    SmallDisk disk(StoreFolder(), 256);
    QUILLANE_REQUIRE_MOUNT(disk);
    OpenWithOnePack(disk);
    const auto before = StoreContent();
    ASSERT_TRUE(disk.SetReadOnly(true));
    MakeEmoticonCabinet(temp.File("second.cab"));
    EXPECT_EQ(store->Install(temp.File("second.cab"), "second"), kStoreNotWritable);
    ASSERT_TRUE(disk.SetReadOnly(false));
    EXPECT_EQ(StoreContent(), before);
}

// The whole road of a requested install, on the job's own thread: the pack
// downloads into the store, then does not fit when it is unpacked.
TEST_F(StoreFailure, AnInstallJobReportsTheFullStoreAndLeavesNoWork) {
    TempFolder siteFolder;
    MakeLargePack(siteFolder.File("large.cab"), 100 * 1024);
    const LocalSite site(siteFolder.Path().string());
    SmallDisk disk(StoreFolder(), 512);
    QUILLANE_REQUIRE_MOUNT(disk);
    OpenWithOnePack(disk);
    disk.FillLeaving(150 * 1024);
    const auto before = StoreContent();

    std::mutex lock;
    std::condition_variable arrived;
    std::vector<TInstallResult> results;
    {
        TContentInstallJob job(*store, site.Base() + "large.cab", [&](TInstallResult result) {
            const std::lock_guard guard(lock);
            results.push_back(result);
            arrived.notify_all();
        });
        std::unique_lock wait(lock);
        arrived.wait_for(wait, 30s, [&] { return !results.empty(); });
    }
    EXPECT_EQ(results, std::vector<TInstallResult>{kStoreNotWritable});
    EXPECT_EQ(site.Requests(), std::vector<std::string>{"/large.cab"});
    EXPECT_EQ(StoreContent(), before) << "the download or a work folder remained";
}

}  // namespace
