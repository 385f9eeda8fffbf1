// What the cache keeps of a scan: an unchanged file is not read again, a
// changed or removed one is seen.
#include "CollectionCache.h"
#include "CollectionScan.h"
#include "PackFixtures.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <fcntl.h>
#include <sys/stat.h>

using namespace quillane;
using namespace quillane::testing;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    std::map<std::string, TCollectedFile> found;
    std::size_t read = 0;
};

Outcome Scan(const std::string& folder) {
    TCollectionScan scan(folder);
    scan.Run();
    Outcome outcome;
    for (TCollectedFile& file : scan.TakeFound()) outcome.found[file.path] = std::move(file);
    outcome.read = scan.Read();
    return outcome;
}

void Pack(const std::string& path, const std::string& title) {
    MakeCabinetOf(path, {{"content.xml", WinkManifest("w.cab", title)}, {"w.cab", "MSCF not really"}});
}

}  // namespace

TEST(CollectionCache, ASecondScanReadsOnlyWhatChanged) {
    const IsolatedEnvironment environment;
    const TempFolder folder;
    Pack(folder.File("a.cab"), "Alpha");
    Pack(folder.File("b.cab"), "Beta");
    fs::copy_file(std::string(QUILLANE_BUNDLED_PACKS_DIR) + "/faces.QZK", folder.File("faces.QZK"));
    WriteFile(folder.File("broken.QZK"), "no cabinet");

    const Outcome first = Scan(folder.Folder());
    EXPECT_EQ(first.read, 4u);
    EXPECT_TRUE(fs::exists(TCollectionCache::FileFor(folder.Folder())));
    EXPECT_EQ(TCollectionCache::FileFor(folder.Folder()).rfind(std::string(std::getenv("XDG_CACHE_HOME")) + "/Quillane/", 0), 0u);

    const Outcome again = Scan(folder.Folder());
    EXPECT_EQ(again.read, 0u);
    ASSERT_EQ(again.found.size(), 4u);
    EXPECT_EQ(again.found.at("b.cab").title, "Beta");
    EXPECT_EQ(again.found.at("broken.QZK").problem, "not a cabinet");
    EXPECT_EQ(again.found.at("faces.QZK").contents, first.found.at("faces.QZK").contents);
    EXPECT_EQ(again.found.at("faces.QZK").picture, first.found.at("faces.QZK").picture);

    // Changed in place with its size kept: the time tells.
    const auto size = fs::file_size(folder.File("b.cab"));
    Pack(folder.File("b.cab"), "Bete");
    ASSERT_EQ(fs::file_size(folder.File("b.cab")), size);
    const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, folder.File("b.cab").c_str(), later, 0), 0);
    fs::remove(folder.File("a.cab"));
    const Outcome changed = Scan(folder.Folder());
    EXPECT_EQ(changed.read, 1u);
    EXPECT_EQ(changed.found.at("b.cab").title, "Bete");
    EXPECT_EQ(changed.found.count("a.cab"), 0u);
}

TEST(CollectionCache, ACacheFileCutShortIsNoCache) {
    const IsolatedEnvironment environment;
    const TempFolder folder;
    Pack(folder.File("a.cab"), "Alpha");
    Scan(folder.Folder());
    const std::string cache = TCollectionCache::FileFor(folder.Folder());
    fs::resize_file(cache, fs::file_size(cache) - 3);
    const Outcome again = Scan(folder.Folder());
    EXPECT_EQ(again.read, 1u);
    EXPECT_EQ(again.found.at("a.cab").title, "Alpha");
}
