#include "ContentStore.h"
#include "PackDescription.h"
#include "PackFixtures.h"
#include "StoreTest.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <future>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace quillane;

namespace {

// "2026-12-09T21:13:05Z": digits wherever the pattern has a 9.
bool IsUtcTimestamp(const std::string& text) {
    const std::string pattern = "9999-99-99T99:99:99Z";
    if (text.size() != pattern.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == '9' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

}  // namespace

namespace support = quillane::testing;
using quillane::testing::MakeCabinetOf;
using quillane::testing::ReadFile;
using quillane::testing::TempFolder;

namespace {

class ContentStoreTest : public quillane::testing::StoreTest {
protected:
    // What the store holds on disk, every entry and its bytes.
    std::map<std::string, std::string> Snapshot() const { return quillane::testing::Snapshot(StoreFolder()); }
};

TEST_F(ContentStoreTest, SamplePacksOfEveryKindAreStoredWithTheirNamesAndShortcuts) {
    const mode_t mask = umask(022);
    TContentStore store(StoreFolder());
    support::SampleCabinet("faces.QZK", temp.File("faces.cab"));
    support::SampleCabinet("robot.QZC", temp.File("robot.cab"));
    support::SampleCabinet("heart.QZK", temp.File("heart.cab"));

    EXPECT_EQ(store.Install(temp.File("faces.cab"), "faces source", {"faces.QZK", "Happy Faces"}), kInstalled);
    EXPECT_EQ(store.Install(temp.File("robot.cab"), "robot source"), kInstalled);
    EXPECT_EQ(store.Install(temp.File("heart.cab"), "heart source"), kInstalled);
    umask(mask);

    const auto packs = store.Packs();
    ASSERT_EQ(packs.size(), 3u);
    EXPECT_EQ(packs[0].source, "faces source");
    EXPECT_EQ(packs[0].name, "faces.QZK");
    EXPECT_EQ(packs[0].title, "Happy Faces");
    EXPECT_EQ(packs[1].name, "");
    EXPECT_EQ(packs[1].title, "");
    EXPECT_TRUE(IsUtcTimestamp(packs[0].installed)) << packs[0].installed;
    ASSERT_EQ(packs[0].items.size(), 4u);
    EXPECT_EQ(packs[0].items[0].type, "emoticon");
    EXPECT_EQ(packs[0].items[0].name, "Smile");
    EXPECT_EQ(packs[0].items[0].shortcut, ":)");
    EXPECT_EQ(packs[0].items[3].name, "Wow");
    EXPECT_EQ(packs[0].items[3].shortcut, ":O");
    for (const auto& item : packs[0].items) {
        EXPECT_EQ(ReadFile(StoreFolder() + item.file).substr(0, 3), "GIF");
        // Stored pictures are the user's files like any other: readable as the umask allows (022 here).
        EXPECT_EQ(fs::status(StoreFolder() + item.file).permissions() & fs::perms::all, fs::perms(0644)) << item.file;
    }

    ASSERT_EQ(packs[1].items.size(), 1u);
    EXPECT_EQ(packs[1].items[0].type, "usertile");
    EXPECT_EQ(packs[1].items[0].name, "Blue Robot");

    ASSERT_EQ(packs[2].items.size(), 1u);
    EXPECT_EQ(packs[2].items[0].type, "wink");
    EXPECT_EQ(packs[2].items[0].name, "Bouncing Heart");
    EXPECT_EQ(packs[2].items[0].file, "packs/3/heart.cab");
    EXPECT_EQ(ReadFile(StoreFolder() + packs[2].items[0].file).substr(0, 4), "MSCF");

    EXPECT_NE(packs[0].id, packs[1].id);
    // No work is left behind beside the content.
    for (const auto& entry : fs::directory_iterator(StoreFolder())) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

TEST_F(ContentStoreTest, ThePackIsReadFromTheStoreAgainByANewOpening) {
    support::MakeEmoticonCabinet(temp.File("pack.cab"));
    ASSERT_EQ(TContentStore(StoreFolder()).Install(temp.File("pack.cab"), "first"), kInstalled);

    TContentStore reopened(StoreFolder());
    ASSERT_EQ(reopened.Install(temp.File("pack.cab"), "second"), kInstalled);
    const auto packs = reopened.Packs();
    ASSERT_EQ(packs.size(), 2u);
    EXPECT_EQ(packs[0].items[1].shortcut, ":D");
    EXPECT_EQ(packs[1].id, packs[0].id + 1);
    EXPECT_EQ(ReadFile(StoreFolder() + packs[1].items[0].file), "GIF89a smile");
}

TEST_F(ContentStoreTest, NamesAndShortcutsKeepTheirCharactersThroughTheIndex) {
    TContentStore store(StoreFolder());
    MakeCabinetOf(temp.File("pack.cab"),
                  {{"content.xml", support::EmoticonManifest(support::EmoticonItem(
                                       "a.gif", "L&#228;cheln &amp; &lt;mehr&gt;", "&lt;3&quot;"))},
                   {"a.gif", "GIF89a"}});
    ASSERT_EQ(store.Install(temp.File("pack.cab"), "a&b"), kInstalled);
    const auto packs = store.Packs();
    ASSERT_EQ(packs.size(), 1u);
    EXPECT_EQ(packs[0].source, "a&b");
    EXPECT_EQ(packs[0].items[0].name, "L\xC3\xA4" "cheln & <mehr>");
    EXPECT_EQ(packs[0].items[0].shortcut, "<3\"");
}

TEST_F(ContentStoreTest, PacksWithNamesMadeOnWindowsKeepTheirPicturesUnderTheManifestsNames) {
    TContentStore store(StoreFolder());
    // 1252 names in the cabinet, one in another letter case than the manifest's; a UTF-8 manifest.
    ASSERT_EQ(store.Install(support::WindowsTextFile("pack-1252.cab"), "latin"), kInstalled);
    // GBK names in the cabinet; a manifest in GB2312.
    ASSERT_EQ(store.Install(support::WindowsTextFile("pack-gbk.cab"), "chinese"), kInstalled);
    // A name that leaves the folder makes the cabinet unusable, as with UTF-8 names.
    EXPECT_EQ(store.Install(support::WindowsTextFile("pack-broken-names.cab"), "broken"), kNotACabinet);

    const auto packs = store.Packs();
    ASSERT_EQ(packs.size(), 2u);
    const std::vector<std::pair<std::string, std::string>> expected[] = {
        {{"Café.gif", "Café"}, {"Élan.gif", "Élan"}}, {{"笑脸.gif", "笑脸"}, {"开心.gif", "开心"}}};
    for (size_t pack = 0; pack < 2; ++pack) {
        ASSERT_EQ(packs[pack].items.size(), 2u);
        const std::string folder = "packs/" + std::to_string(packs[pack].id) + "/";
        std::vector<std::string> names;
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(packs[pack].items[i].file, folder + expected[pack][i].first);
            EXPECT_EQ(packs[pack].items[i].name, expected[pack][i].second);
            EXPECT_EQ(ReadFile(StoreFolder() + packs[pack].items[i].file).substr(0, 3), "GIF") << expected[pack][i].first;
            names.push_back(expected[pack][i].first);
        }
        std::vector<std::string> stored;
        for (const auto& entry : fs::directory_iterator(StoreFolder() + folder)) stored.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        std::sort(stored.begin(), stored.end());
        EXPECT_EQ(stored, names) << "only the listed pictures, under the manifest's names";
    }
}

struct BrokenPack {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;
    TInstallResult expected;
};

TEST_F(ContentStoreTest, EveryBrokenPackHasItsCodeAndLeavesTheStoreAsItWas) {
    TContentStore store(StoreFolder());
    support::MakeEmoticonCabinet(temp.File("good.cab"));
    ASSERT_EQ(store.Install(temp.File("good.cab"), "good"), kInstalled);
    const auto before = Snapshot();

    const std::string gif = "GIF89a";
    const std::vector<BrokenPack> cases = {
        {"no manifest", {{"smile.gif", gif}}, kNoManifest},
        {"manifest not well-formed", {{"content.xml", "<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\">"
                                                      "<item file=\"a.gif\"></package>"},
                                      {"a.gif", gif}}, kBadManifest},
        {"a manifest in an unknown encoding",
         {{"content.xml", "<?xml version=\"1.0\" encoding=\"x-no-such-charset\"?>" +
                              support::EmoticonManifest(support::EmoticonItem("a.gif", "A", "a")).substr(40)},
          {"a.gif", gif}}, kBadManifest},
        {"no content namespace", {{"content.xml", "<package><item type=\"emoticon\" file=\"a.gif\"/></package>"},
                                  {"a.gif", gif}}, kBadManifest},
        {"an item without a file", {{"content.xml", support::EmoticonManifest("<item type=\"emoticon\"/>")}}, kBadManifest},
        {"nothing listed", {{"content.xml", support::EmoticonManifest("")}}, kBadManifest},
        {"a name leaving the store", {{"content.xml", support::EmoticonManifest(support::EmoticonItem("../a.gif", "A", "a"))},
                                      {"a.gif", gif}}, kBadManifest},
        {"a listed file missing", {{"content.xml", support::EmoticonManifest(support::EmoticonItem("a.gif", "A", "a") +
                                                                             support::EmoticonItem("b.gif", "B", "b"))},
                                   {"a.gif", gif}}, kItemMissing},
        {"a wink without an inner cabinet",
         {{"content.xml", support::EmoticonManifest("<item type=\"wink\" file=\"w.cab\" displayname=\"W\"/>")},
          {"w.cab", "not a cabinet"}}, kNotACabinet},
    };
    for (const auto& broken : cases) {
        MakeCabinetOf(temp.File("broken.cab"), broken.files);
        EXPECT_EQ(store.Install(temp.File("broken.cab"), broken.what), broken.expected) << broken.what;
        EXPECT_EQ(Snapshot(), before) << broken.what;
    }

    support::WriteFile(temp.File("text.cab"), "<html>Not found</html>");
    EXPECT_EQ(store.Install(temp.File("text.cab"), "text"), kNotACabinet);
    const std::string good = ReadFile(temp.File("good.cab"));
    support::WriteFile(temp.File("cut.cab"), good.substr(0, good.size() / 2));
    EXPECT_EQ(store.Install(temp.File("cut.cab"), "cut"), kNotACabinet);
    EXPECT_EQ(store.Install(temp.File("missing.cab"), "missing"), kNotACabinet);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(store.Packs().size(), 1u);
}

TEST_F(ContentStoreTest, APictureNamedAsLongAsTheFileSystemAllowsIsStored) {
    TContentStore store(StoreFolder());
    const std::string name = std::string(251, 'p') + ".gif";
    MakeCabinetOf(temp.File("long.cab"), {{"content.xml", support::EmoticonManifest(support::EmoticonItem(name, "Long", ":l"))},
                                          {name, "GIF89a long"}});
    ASSERT_EQ(store.Install(temp.File("long.cab"), "long"), kInstalled);
    ASSERT_EQ(store.Packs().size(), 1u);
    ASSERT_EQ(store.Packs()[0].items.size(), 1u);
    EXPECT_EQ(ReadFile(StoreFolder() + store.Packs()[0].items[0].file), "GIF89a long");
}

TEST_F(ContentStoreTest, AnIndexThatCannotBeReplacedFailsTheInstallWithoutATrace) {
    TContentStore store(StoreFolder());
    fs::create_directories(StoreFolder() + "index.xml");
    const auto before = Snapshot();
    support::MakeEmoticonCabinet(temp.File("pack.cab"));
    EXPECT_EQ(store.Install(temp.File("pack.cab"), "pack"), kStoreNotWritable);
    EXPECT_EQ(Snapshot(), before);
}

// A packs folder that cannot be looked into once went round the ids for ever,
// holding the store's lock.
TEST_F(ContentStoreTest, APacksFolderThatCannotBeLookedIntoFailsTheInstall) {
    TContentStore store(StoreFolder());
    fs::remove(StoreFolder() + "packs");
    fs::create_symlink("packs", StoreFolder() + "packs");
    support::MakeEmoticonCabinet(temp.File("pack.cab"));
    auto installing = std::async(std::launch::async, [&] { return store.Install(temp.File("pack.cab"), "pack"); });
    const bool ended = installing.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    // Without the loop an install still going round ends too, and the test with it.
    fs::remove(StoreFolder() + "packs");
    EXPECT_TRUE(ended) << "the install did not end";
    EXPECT_EQ(installing.get(), kStoreNotWritable);
    EXPECT_TRUE(store.Packs().empty());
}

TEST_F(ContentStoreTest, RemoveTakesThePackOutOfTheIndexAndItsFilesOffTheDisk) {
    TContentStore store(StoreFolder());
    support::MakeEmoticonCabinet(temp.File("pack.cab"));
    ASSERT_EQ(store.Install(temp.File("pack.cab"), "first"), kInstalled);
    ASSERT_EQ(store.Install(temp.File("pack.cab"), "second"), kInstalled);
    const auto first = store.Packs().at(0);

    // An index that cannot be replaced: nothing changes.
    const auto before = Snapshot();
    fs::permissions(StoreFolder() + "index.xml", fs::perms::owner_read);
    EXPECT_THROW(store.Remove(first), EContentStoreError);
    fs::permissions(StoreFolder() + "index.xml", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Snapshot(), before);

    store.Remove(first);
    ASSERT_EQ(store.Packs().size(), 1u);
    EXPECT_EQ(store.Packs()[0].source, "second");
    EXPECT_FALSE(fs::exists(store.PackFolder(first.id)));
    EXPECT_NO_THROW(store.Remove(first));
}

// A pack's folder that is a link (the user's own folder linked in) goes as a
// link; what it points at stays as it was.
TEST_F(ContentStoreTest, RemoveTakesALinkInAPacksPlaceAndNeverWhatItPointsAt) {
    TContentStore store(StoreFolder());
    support::MakeEmoticonCabinet(temp.File("pack.cab"));
    ASSERT_EQ(store.Install(temp.File("pack.cab"), "linked"), kInstalled);
    const auto pack = store.Packs().at(0);
    support::WriteFile(temp.File("mine/keep.gif"), "GIF89a mine");
    const std::string packFolder = store.PackFolder(pack.id);
    fs::remove_all(packFolder);
    fs::create_directory_symlink(temp.File("mine/"), packFolder.substr(0, packFolder.size() - 1));

    EXPECT_NO_THROW(store.Remove(pack));
    EXPECT_EQ(ReadFile(temp.File("mine/keep.gif")), "GIF89a mine");
    EXPECT_FALSE(fs::exists(fs::symlink_status(packFolder.substr(0, packFolder.size() - 1))));
    EXPECT_TRUE(store.Packs().empty());
}

// An id is never given again, so a window that shows a removed pack cannot
// take the pack installed after it for it; nor does Remove take an entry
// that is no longer the one shown.
TEST_F(ContentStoreTest, IdsAreNeverGivenTwiceAndRemoveTakesOnlyThePackShown) {
    TContentStore store(StoreFolder());
    support::MakeEmoticonCabinet(temp.File("pack.cab"));
    ASSERT_EQ(store.Install(temp.File("pack.cab"), "first"), kInstalled);
    ASSERT_EQ(store.Install(temp.File("pack.cab"), "second"), kInstalled);
    const auto second = store.Packs().at(1);
    store.Remove(second);
    ASSERT_EQ(store.Install(temp.File("pack.cab"), "third"), kInstalled);
    const auto third = store.Packs().at(1);
    EXPECT_GT(third.id, second.id);

    store.Remove(second);
    TStoredPack shownBefore = third;
    shownBefore.installed = "2001-01-01T00:00:00Z";
    store.Remove(shownBefore);
    ASSERT_EQ(store.Packs().size(), 2u);
    EXPECT_EQ(store.Packs()[1].source, "third");
}

// Packs installed before titles were recorded, some before names were, are
// read as they are, keep their entries when a titled pack is installed beside
// them, and are shown by what they have.
TEST_F(ContentStoreTest, AnIndexWrittenBeforeTitlesLoadsAndKeepsItsPacksBesideTitledOnes) {
    support::WriteFile(StoreFolder() + "index.xml",
                       "<?xml version=\"1.0\"?>\n<store nextid=\"3\">\n"
                       "  <pack id=\"1\" source=\"http://127.0.0.1:21888/temppack11.cab\" type=\"theme\" name=\"faces.QZK\" "
                       "installed=\"2026-12-01T10:00:00Z\">\n"
                       "    <item type=\"emoticon\" file=\"packs/1/a.gif\" name=\"A\" shortcut=\":a\" contentid=\"Pack1\" />\n"
                       "  </pack>\n"
                       "  <pack id=\"2\" source=\"old\" type=\"theme\">\n"
                       "    <item type=\"usertile\" file=\"packs/2/b.gif\" name=\"B\" shortcut=\"\" contentid=\"b.gif\" />\n"
                       "  </pack>\n"
                       "</store>\n");
    TContentStore store(StoreFolder());
    const auto old = store.Packs();
    ASSERT_EQ(old.size(), 2u);
    EXPECT_EQ(old[0].title, "");
    EXPECT_EQ(PackTitle(old[0]), "faces.QZK");
    EXPECT_EQ(PackTitle(old[1]), "b.gif");

    support::MakeEmoticonCabinet(temp.File("pack.cab"));
    ASSERT_EQ(store.Install(temp.File("pack.cab"), "new", {"faces2.QZK", "Cheeky Faces"}), kInstalled);
    const auto packs = store.Packs();
    ASSERT_EQ(packs.size(), 3u);
    EXPECT_EQ(packs[0], old[0]);
    EXPECT_EQ(packs[1], old[1]);
    EXPECT_EQ(packs[2].id, 3);
    EXPECT_EQ(PackTitle(packs[2]), "Cheeky Faces");
}

TEST_F(ContentStoreTest, AFolderThatCannotBeMadeRaisesOnOpening) {
    support::WriteFile(temp.File("file"), "a file, not a folder");
    EXPECT_THROW(TContentStore(temp.File("file") + "/store/"), EContentStoreError);
}

TEST(ContentStoreFolder, FollowsXdgDataHomeElseHome) {
    const support::IsolatedEnvironment environment;
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(TContentStore::DefaultFolder(), "/data/home/Quillane/Messenger/");
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    setenv("HOME", "/home/user", 1);
    EXPECT_EQ(TContentStore::DefaultFolder(), "/home/user/.local/share/Quillane/Messenger/");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(TContentStore::DefaultFolder(), "/home/user/.local/share/Quillane/Messenger/");
}

}  // namespace
