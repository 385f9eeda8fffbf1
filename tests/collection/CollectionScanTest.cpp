// What the scan of a folder of packs finds: packs with their kind, title,
// items and still; copies of one pack; and every file that is no readable
// pack, with why. Real files in a temporary folder.
#include "CollectionListing.h"
#include "CollectionScan.h"
#include "PackFixtures.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillane;
using namespace quillane::testing;
namespace fs = std::filesystem;

namespace {

std::string Bundled(const std::string& name) { return std::string(QUILLANE_BUNDLED_PACKS_DIR) + "/" + name; }

void CopyBundled(const std::string& name, const std::string& to) {
    fs::create_directories(fs::path(to).parent_path());
    fs::copy_file(Bundled(name), to);
}

// The scan's findings by path.
std::map<std::string, TCollectedFile> Scan(const std::string& folder) {
    TCollectionScan scan(folder);
    scan.Run();
    EXPECT_EQ(scan.Failure(), "");
    std::map<std::string, TCollectedFile> found;
    for (TCollectedFile& file : scan.TakeFound()) {
        const std::string path = file.path;
        EXPECT_TRUE(found.emplace(path, std::move(file)).second) << path << " found twice";
    }
    return found;
}

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

std::string PictureManifest() {
    return EmoticonManifest(EmoticonItem("a.gif", "Apple", ":a") + EmoticonItem("b.gif", "Banana", ":b") +
                            EmoticonItem("c.gif", "Cherry", ":c"));
}

}  // namespace

TEST(CollectionScan, PacksShowTheirKindTitleItemsAndStillAndLooseFilesAreNoPacks) {
    const IsolatedEnvironment environment;
    const TempFolder folder;
    CopyBundled("faces.QZK", folder.File("emoticons/faces.QZK"));
    CopyBundled("owl.QZC", folder.File("owl.QZC"));
    CopyBundled("heart.QZK", folder.File("winks/heart.QZK"));
    // A cabinet is known by its first bytes, whatever its name.
    fs::copy_file(Bundled("owl.QZC"), folder.File("renamed.bin"));
    WriteFile(folder.File("loose.gif"), "GIF89a loose picture");
    WriteFile(folder.File("notes.txt"), "not a pack");

    const auto found = Scan(folder.Folder());
    ASSERT_EQ(found.size(), 4u);
    const TCollectedFile& faces = found.at("emoticons/faces.QZK");
    EXPECT_TRUE(faces.IsPack());
    EXPECT_EQ(faces.kind, "emoticons");
    EXPECT_EQ(ShownTitle(faces), "faces.QZK") << "a pack of many emoticons names none";
    EXPECT_GT(faces.items, 1);
    EXPECT_NE(faces.itemNames.find(":)"), std::string::npos);
    EXPECT_FALSE(faces.picture.isNull());
    const TCollectedFile& heart = found.at("winks/heart.QZK");
    EXPECT_EQ(heart.kind, "wink");
    EXPECT_EQ(heart.title, "Bouncing Heart");
    EXPECT_EQ(heart.items, 1);
    EXPECT_FALSE(heart.picture.isNull()) << "the still inside the wink's cabinet";
    EXPECT_EQ(found.at("owl.QZC").kind, "display pictures");
    EXPECT_EQ(found.at("owl.QZC").bytes, fs::file_size(Bundled("owl.QZC")));
    EXPECT_EQ(found.at("renamed.bin").contents, found.at("owl.QZC").contents);
}

TEST(CollectionScan, CopiesAreOnePackWhateverTheirNameOrCompression) {
    const IsolatedEnvironment environment;
    const TempFolder folder;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"content.xml", PictureManifest()}, {"a.gif", "GIF89a a"}, {"b.gif", "GIF89a b"}, {"c.gif", "GIF89a c"}};
    MakeCabinetOf(folder.File("first.CAB"), files, true);
    fs::create_directory(folder.File("sub"));
    MakeCabinetOf(folder.File("sub/stored copy.cab"), files, false);
    // The .QZK form of the same cabinet: without its first byte.
    WriteFile(folder.File("third.QZK"), ReadFile(folder.File("first.CAB")).substr(1));
    auto other = files;
    other[3].second = "GIF89a another c";
    MakeCabinetOf(folder.File("other.CAB"), other, true);

    const auto found = Scan(folder.Folder());
    ASSERT_EQ(found.size(), 4u);
    EXPECT_NE(ReadFile(folder.File("first.CAB")), ReadFile(folder.File("sub/stored copy.cab")));
    EXPECT_EQ(found.at("first.CAB").contents, found.at("sub/stored copy.cab").contents);
    EXPECT_EQ(found.at("first.CAB").contents, found.at("third.QZK").contents);
    EXPECT_NE(found.at("first.CAB").contents, found.at("other.CAB").contents);

    std::vector<TCollectedFile> all;
    for (const auto& [path, file] : found) all.push_back(file);
    const std::string listing = ListingText(all);
    EXPECT_NE(listing.find("sub/stored copy.cab\temoticons\tstored copy.cab\t3\t"), std::string::npos) << listing;
    EXPECT_NE(listing.find("\tduplicate of first.CAB\n"), std::string::npos) << listing;
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 4);
    EXPECT_NE(listing.find("\nother.CAB\temoticons\tother.CAB\t3\t" + std::to_string(fs::file_size(folder.File("other.CAB"))) + "\t\n"),
              std::string::npos) << listing;
}

TEST(CollectionScan, FilesThatAreNoReadablePackAreListedWithWhy) {
    const IsolatedEnvironment environment;
    const TempFolder folder;
    WriteFile(folder.File("text.QZK"), "just some text");
    MakeCabinetOf(folder.File("foreign.cab"), {{"readme.txt", "some other program's cabinet"}});
    MakeCabinetOf(folder.File("badmanifest.cab"), {{"content.xml", "<package>"}, {"a.gif", "GIF89a"}});
    // Four files, the last one many data blocks long, so that a download cut
    // short keeps the first three whole.
    MakeCabinetOf(folder.File("cut.cab"), {{"content.xml", PictureManifest()},
                                           {"a.gif", "GIF89a" + RandomBytes(40000, 1)},
                                           {"b.gif", "GIF89a" + RandomBytes(40000, 2)},
                                           {"c.gif", "GIF89a" + RandomBytes(200000, 3)}});
    fs::resize_file(folder.File("cut.cab"), fs::file_size(folder.File("cut.cab")) - 4000);
    MakeCabinetOf(folder.File("huge inside.cab"), {{"content.xml", PictureManifest()},
                                                   {"a.gif", std::string((64 << 20) + 1, '\0')}});
    // Sparse: it takes no room, and read it would be "not a cabinet".
    WriteFile(folder.File("huge.QZK"), "");
    fs::resize_file(folder.File("huge.QZK"), (std::uint64_t{512} << 20) + 1);

    const auto found = Scan(folder.Folder());
    EXPECT_EQ(found.at("text.QZK").problem, "not a cabinet");
    EXPECT_EQ(found.at("foreign.cab").problem, "no manifest");
    EXPECT_EQ(found.at("badmanifest.cab").problem, "a manifest that cannot be read");
    EXPECT_EQ(found.at("cut.cab").problem, "damaged after 3 of 4 files");
    EXPECT_EQ(found.at("huge inside.cab").problem, "would unpack to more than 64 MiB or 10,000 files, not read");
    EXPECT_EQ(found.at("huge.QZK").problem, "larger than 512 MiB, not read");
    EXPECT_EQ(found.at("huge.QZK").bytes, (std::uint64_t{512} << 20) + 1);
    EXPECT_EQ(found.size(), 6u);
}

TEST(CollectionScan, LinksStayInsideTheFolderLoopsEndAndPipesAreNeverOpened) {
    const IsolatedEnvironment environment;
    const TempFolder outside;
    CopyBundled("owl.QZC", outside.File("elsewhere.QZC"));
    const TempFolder folder;
    CopyBundled("faces.QZK", folder.File("sub/faces.QZK"));
    fs::create_symlink(outside.File("elsewhere.QZC"), folder.File("out.QZC"));
    fs::create_directory_symlink(outside.Path(), folder.File("outfolder"));
    fs::create_directory_symlink("..", folder.File("sub/loop"));
    fs::create_directory_symlink("sub", folder.File("again"));
    fs::create_symlink("gone.QZK", folder.File("dangling.QZK"));
    // Opened for reading, a pipe would wait for a writer for ever.
    ASSERT_EQ(mkfifo(folder.File("pipe.QZK").c_str(), 0600), 0);
    const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = folder.File("socket.mco");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    const auto found = Scan(folder.Folder());
    EXPECT_EQ(found.at("out.QZC").problem, "a link out of the folder, not followed");
    EXPECT_EQ(found.at("outfolder").problem, "a link out of the folder, not followed");
    EXPECT_EQ(found.at("dangling.QZK").problem, "a link to nothing");
    EXPECT_EQ(found.at("pipe.QZK").problem, "a named pipe, not read");
    EXPECT_EQ(found.at("socket.mco").problem, "a socket, not read");
    close(listening);
    EXPECT_TRUE(found.at("again/faces.QZK").IsPack()) << "a link inside the folder is followed, once";
    EXPECT_EQ(found.size(), 6u);
}

TEST(CollectionScan, NamesThatAreNotUtf8AreShownAndStillOpen) {
    const IsolatedEnvironment environment;
    const TempFolder folder;
    const std::string latin1 = "caf\xe9.QZK";
    CopyBundled("faces.QZK", folder.File(latin1));

    const auto found = Scan(folder.Folder());
    ASSERT_EQ(found.count(latin1), 1u);
    EXPECT_TRUE(found.at(latin1).IsPack()) << found.at(latin1).problem;
    EXPECT_EQ(ShownText(latin1), "caf\xef\xbf\xbd.QZK");
    EXPECT_EQ(ShownText("tab\there"), "tab\xef\xbf\xbdhere") << "a name never breaks a listing's columns";
}

TEST(CollectionScan, UnreadableFoldersAndFilesAreListedAsSuch) {
    // Made before the isolated environment's folders, which only their owner may enter.
    const TempFolder folder;
    const IsolatedEnvironment environment;
    CopyBundled("faces.QZK", folder.File("locked/faces.QZK"));
    CopyBundled("owl.QZC", folder.File("closed.QZC"));
    fs::permissions(folder.Path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(folder.File("locked"), fs::perms::none);
    fs::permissions(folder.File("closed.QZC"), fs::perms::none);

    // Permissions bind the superuser too little: the scan runs as nobody then.
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(channel[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        TCollectionScan scan(folder.Folder());
        scan.Run();
        const std::string listing = ListingText(scan.TakeFound());
        _exit(write(channel[1], listing.data(), listing.size()) == static_cast<ssize_t>(listing.size()) ? 0 : 4);
    }
    close(channel[1]);
    std::string listing;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) listing.append(buffer, static_cast<std::size_t>(n));
    close(channel[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    fs::permissions(folder.File("locked"), fs::perms::owner_all);
    EXPECT_NE(listing.find("locked\t\t\t\t0\ta folder that cannot be read: Permission denied\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("closed.QZC\t\t\t\t" + std::to_string(fs::file_size(folder.File("closed.QZC"))) +
                           "\tcannot be read: Permission denied\n"), std::string::npos) << listing;
}

TEST(CollectionScan, AFolderThatCannotBeReadFailsTheScanAndTheListing) {
    const IsolatedEnvironment environment;
    const TempFolder folder;
    TCollectionScan scan(folder.File("missing"));
    scan.Run();
    EXPECT_EQ(scan.Failure(), "The folder " + folder.File("missing") + " cannot be read: No such file or directory.");
    EXPECT_EQ(RunListCommand({"--list", folder.File("missing")}), 1);
    EXPECT_EQ(RunListCommand({"--list", folder.Folder()}), 0);
}
