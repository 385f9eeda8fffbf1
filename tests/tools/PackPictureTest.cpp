// What the thumbnailer shows of a pack, read in memory from the pack: the
// bundled sample packs, packs made by gcab, and damaged ones.
#include "BundledPacks.h"
#include "CabinetReader.h"
#include "PackFixtures.h"
#include "PackPicture.h"
#include "TempFolder.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using namespace quillane;
using namespace quillane::testing;

namespace {

std::string Sample(const std::string& name) { return AppFolder() + "msnpack/" + name; }

const char* const kWinkManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n"
    "<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\" version=\"1.0\" type=\"wink\">\r\n"
    "<item contentid=\"w\" contenttype=\"D\" type=\"wink\" mimetype=\"application/x-ms-cab\" file=\"w.cab\" "
    "displayname=\"W\" />\r\n</package>\r\n";

}  // namespace

TEST(PackPicture, AnEmoticonPackShowsItsFirstEmoticon) {
    const TPackPicture found = FindPackPicture(Sample("faces.QZK"));
    ASSERT_EQ(found.kind, TPackPicture::Picture);
    EXPECT_EQ(found.name, "faces1.gif");
    EXPECT_EQ(found.bytes.rfind("GIF8", 0), 0u);
}

TEST(PackPicture, ADisplayPicturePackShowsItsPicture) {
    const TPackPicture found = FindPackPicture(Sample("owl.QZC"));
    ASSERT_EQ(found.kind, TPackPicture::Picture);
    EXPECT_EQ(found.name, "owl.gif");
}

TEST(PackPicture, EveryBundledPackIsReadAndABundledWinkShowsItsStill) {
    for (const std::string& name : BundledPackNames()) {
        const TPackPicture found = FindPackPicture(Sample(name));
        EXPECT_EQ(found.kind, TPackPicture::Picture) << name;
        EXPECT_EQ(found.bytes.rfind("GIF89a", 0), 0u) << name;
    }
    EXPECT_EQ(FindPackPicture(Sample("heart.QZK")).name, "heart.gif");
}

TEST(PackPicture, AWinkShowsThePictureBesideItsManifestOrInsideItsCabinetElseNone) {
    TempFolder folder;
    MakeCabinetOf(folder.File("inner.cab"), {{"w.swf", "FWS movie"}, {"w.png", "\x89PNG inner"}});
    MakeCabinetOf(folder.File("inside.mco"), {{"content.xml", kWinkManifest}, {"w.cab", ReadFile(folder.File("inner.cab"))}});
    TPackPicture found = FindPackPicture(folder.File("inside.mco"));
    ASSERT_EQ(found.kind, TPackPicture::Picture);
    EXPECT_EQ(found.name, "w.png");
    EXPECT_EQ(found.bytes, "\x89PNG inner");

    MakeCabinetOf(folder.File("beside.cab"), {{"content.xml", kWinkManifest},
                                              {"w.cab", ReadFile(folder.File("inner.cab"))},
                                              {"thumb.gif", "GIF89a beside"}});
    found = FindPackPicture(folder.File("beside.cab"));
    ASSERT_EQ(found.kind, TPackPicture::Picture);
    EXPECT_EQ(found.bytes, "GIF89a beside");

    MakeCabinetOf(folder.File("movie.cab"), {{"w.swf", "FWS movie"}});
    MakeCabinetOf(folder.File("movie.mco"), {{"content.xml", kWinkManifest}, {"w.cab", ReadFile(folder.File("movie.cab"))}});
    EXPECT_EQ(FindPackPicture(folder.File("movie.mco")).kind, TPackPicture::NoPicture) << "a wink with only its movie";
}

TEST(PackPicture, DamagedAndForeignFilesAreToldApart) {
    TempFolder folder;
    WriteFile(folder.File("text.QZK"), "just some text");
    EXPECT_EQ(FindPackPicture(folder.File("text.QZK")).kind, TPackPicture::NotACabinet);
    EXPECT_EQ(FindPackPicture(folder.File("missing.QZK")).kind, TPackPicture::NotACabinet);
    MakeCabinetOf(folder.File("driver.cab"), {{"driver.inf", "[Version]"}});
    EXPECT_EQ(FindPackPicture(folder.File("driver.cab")).kind, TPackPicture::NotAPack);
    MakeCabinetOf(folder.File("lying.QZC"), {{"content.xml", EmoticonManifest(EmoticonItem("gone.gif", "Gone", ":("))}});
    EXPECT_EQ(FindPackPicture(folder.File("lying.QZC")).kind, TPackPicture::Damaged);
    MakeCabinetOf(folder.File("garbled.QZC"), {{"content.xml", "<package"}, {"a.gif", "GIF89a"}});
    EXPECT_EQ(FindPackPicture(folder.File("garbled.QZC")).kind, TPackPicture::Damaged);

    const std::string pack = ReadFile(Sample("faces.QZK"));
    WriteFile(folder.File("cut.QZK"), pack.substr(0, pack.size() / 3));
    EXPECT_EQ(FindPackPicture(folder.File("cut.QZK")).kind, TPackPicture::Damaged);
}

TEST(PackPicture, DamageAnywhereInAPackNeverBreaksTheReader) {
    TempFolder folder;
    for (const char* sample : {"faces.QZK", "owl.QZC", "heart.QZK"}) {
        const std::string pack = ReadFile(Sample(sample));
        uint32_t state = 2166136261u;
        for (int round = 0; round < 300; ++round) {
            std::string damaged = pack;
            state = state * 1664525u + 1013904223u;
            const size_t at = state % damaged.size();
            damaged[at] = static_cast<char>(damaged[at] ^ (1 + (state >> 24) % 255));
            if (round % 7 == 0) damaged.resize(at);
            WriteFile(folder.File("damaged.QZK"), damaged);
            const TPackPicture found = FindPackPicture(folder.File("damaged.QZK"));
            EXPECT_LE(found.bytes.size(), std::size_t{16} << 20) << sample << " round " << round;
        }
    }
}

TEST(CabinetReader, ReadsOneMemberWithinItsLimit) {
    TempFolder folder;
    MakeCabinetOf(folder.File("a.cab"), {{"one.txt", "first"}, {"Sub\\Two.txt", "second"}});
    const auto cabinet = TCabinetReader::OpenFile(folder.File("a.cab"), false);
    ASSERT_TRUE(cabinet);
    EXPECT_EQ(cabinet->Read("ONE.TXT", 100), std::optional<std::string>("first"));
    EXPECT_FALSE(cabinet->Read("one.txt", 4)) << "longer than the limit";
    EXPECT_FALSE(cabinet->Read("three.txt", 100));
    EXPECT_FALSE(TCabinetReader::OpenBytes("MSCF but nothing more"));
    EXPECT_FALSE(TCabinetReader::OpenFile(folder.File("a.cab"), true)) << "a cabinet read as a .QZK pack";
}

#ifdef QUILLANE_THUMBNAILER
namespace {

// The width and height a PNG file declares.
std::pair<uint32_t, uint32_t> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
    const auto word = [&](size_t at) {
        return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
               (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
    };
    return {word(16), word(20)};
}

// How a run of the thumbnailer ended, and the most memory it held.
struct ThumbnailerRun {
    int status = -1;
    long peakKiB = 0;
};

ThumbnailerRun Thumbnail(const std::string& size, const std::string& input, const std::string& output) {
    std::vector<std::string> arguments = {QUILLANE_THUMBNAILER, "-s", size, input, output};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // A copy of this process, not a spawn that shares its memory: the child's
    // peak then starts from what this process holds now, not from its own peak.
    const pid_t pid = fork();
    if (pid == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ThumbnailerRun run;
    if (pid < 0) return run;
    // A thumbnailer that hangs is stopped, and fails the test.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > until) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKiB = usage.ru_maxrss;
    return run;
}

}  // namespace

// The program, as a file manager runs it.
TEST(Thumbnailer, WritesAPngWithinTheSizeForEveryPackAndNoneForWhatIsNoReadablePack) {
    TempFolder folder;
    const auto run = [&](const std::string& size, const std::string& input) {
        std::filesystem::remove(folder.File("out.png"));
        return Thumbnail(size, input, folder.File("out.png")).status;
    };
    ASSERT_EQ(run("128", Sample("faces.QZK")), 0);
    const auto [width, height] = PngSize(ReadFile(folder.File("out.png")));
    EXPECT_GT(width, 19u);
    EXPECT_LE(width, 128u);
    EXPECT_LE(height, 128u);
    // A wink by its 64-pixel still, scaled down.
    ASSERT_EQ(run("32", Sample("heart.QZK")), 0);
    EXPECT_EQ(PngSize(ReadFile(folder.File("out.png"))), (std::pair<uint32_t, uint32_t>{32, 32}));

    const std::string pack = ReadFile(Sample("owl.QZC"));
    WriteFile(folder.File("broken.QZC"), pack.substr(0, 100));
    WriteFile(folder.File("notes.QZK"), "a text file, not a pack");
    MakeCabinetOf(folder.File("driver.QZC"), {{"driver.inf", "[Version]"}});
    for (const char* input : {"broken.QZC", "notes.QZK", "driver.QZC"}) {
        EXPECT_EQ(run("64", folder.File(input)), 1) << input;
        EXPECT_FALSE(std::filesystem::exists(folder.File("out.png"))) << input;
    }
    EXPECT_EQ(run("x", Sample("owl.QZC")), 2);
}

// A pack as a hostile sender makes it: a picture that is SVG under a PNG's
// name reaching for a local file, a named pipe, names that are no UTF-8, and
// packs made to fill the memory.
TEST(Thumbnailer, HostileFilesGetNoThumbnailAndTheMemoryStaysBounded) {
    TempFolder folder;
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
                            "width='64' height='64'><image xlink:href='" + Sample("../Preview/party.gif") +
                            "' width='64' height='64'/></svg>";
    MakeCabinetOf(folder.File("svg.QZC"), {{"content.xml", EmoticonManifest(EmoticonItem("a.png", "A", ":a"))},
                                           {"a.png", svg}});
    EXPECT_EQ(Thumbnail("64", folder.File("svg.QZC"), folder.File("out.png")).status, 1);

    ASSERT_EQ(::mkfifo(folder.File("pipe.QZK").c_str(), 0600), 0);
    EXPECT_EQ(Thumbnail("64", folder.File("pipe.QZK"), folder.File("out.png")).status, 1);

    const std::string latin1 = folder.File("caf\xe9.QZK");
    std::filesystem::copy_file(Sample("faces.QZK"), latin1);
    EXPECT_EQ(Thumbnail("64", "file://" + folder.Folder() + "caf%E9.QZK", folder.File("out\xe9.png")).status, 0);
    EXPECT_GT(PngSize(ReadFile(folder.File("out\xe9.png"))).first, 0u);

    // A PNG that declares 20000 by 20000 pixels, and a wink whose inner cabinet
    // unpacks to 60 MiB from a few kilobytes.
    std::string huge("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x4e\x20\0\0\x4e\x20\x08\x06\0\0\0", 29);
    huge += std::string(4, '\0') + std::string(4096, '\0');
    MakeCabinetOf(folder.File("huge.QZC"), {{"content.xml", EmoticonManifest(EmoticonItem("a.png", "A", ":a"))},
                                            {"a.png", huge}});
    MakeCabinetOf(folder.File("w.cab"), {{"big.png", std::string(60 << 20, '\0')}});
    MakeCabinetOf(folder.File("bomb.QZC"), {{"content.xml", kWinkManifest}, {"w.cab", ReadFile(folder.File("w.cab"))}});
    for (const char* input : {"huge.QZC", "bomb.QZC"}) {
        const ThumbnailerRun run = Thumbnail("128", folder.File(input), folder.File("out.png"));
        EXPECT_EQ(run.status, 1) << input;
#ifndef QUILLANE_SANITIZED
        EXPECT_LT(run.peakKiB, 64 * 1024) << input;
#endif
    }
}

// Every pack of the fuzz corpus (the bundled packs, damaged and hostile ones
// among them) gets a thumbnail or none, and never takes more than 64 MiB.
TEST(Thumbnailer, TheWholeFuzzCorpusKeepsWithinTheMemoryBound) {
    TempFolder folder;
    long peak = 0;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUILLANE_PACK_CORPUS)) {
        const ThumbnailerRun run = Thumbnail("256", entry.path().string(), folder.File("out.png"));
        EXPECT_TRUE(run.status == 0 || run.status == 1) << entry.path();
        peak = std::max(peak, run.peakKiB);
        ++files;
    }
    EXPECT_GT(files, 100);
#ifndef QUILLANE_SANITIZED
    EXPECT_LT(peak, 64 * 1024);
#endif
}
#endif
