// The cabinet writer alone, checked with cabextract, gcab and libmspack.
#include "CabOpt.h"
#include "CabinetTools.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>

using namespace quillane;
using namespace quillane::testing;
namespace fs = std::filesystem;

namespace {

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// Bytes that compress: short words drawn from a small vocabulary.
std::string WordyBytes(size_t size, unsigned seed) {
    static const char* const words[] = {"smile ", "wink ", "GIF89a ", "\x00\x01\x02", "frame ", "palette "};
    std::mt19937 random(seed);
    std::string bytes;
    while (bytes.size() < size) bytes += words[random() % 6];
    bytes.resize(size);
    return bytes;
}

// Gives a file a last-write time, as a local date and time.
void SetLocalTime(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    when.tm_isdst = -1;
    const timespec times[2] = {{std::mktime(&when), 0}, {std::mktime(&when), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::vector<std::string> FolderEntries(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.Path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CabOptTest : public ::testing::Test {
protected:
    TempFolder pictures;
    TempFolder out;
    TPackContents contents;
    std::string manifest;

    void SetUp() override {
        manifest = pictures.File("content.xml");
        WriteFile(manifest, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<package>\r\n </package>\r\n");
    }

    std::string Picture(const std::string& name, const std::string& bytes) {
        const std::string path = pictures.File(name);
        WriteFile(path, bytes);
        return path;
    }
    void AddEmoticon(const std::string& name, const std::string& bytes) {
        contents.Emoticons.push_back({name, "/" + name, Picture(name, bytes)});
    }
    void AddDisplayPicture(const std::string& name, const std::string& bytes) {
        contents.DisplayPictures.push_back({name, "", Picture(name, bytes)});
    }
    std::vector<std::string> Build(const std::string& chosen) {
        return BuildCabinet(chosen, contents, manifest, [] {});
    }
};

TEST_F(CabOptTest, FilesComeInListOrderWithTheirNamesAndBytes) {
    AddDisplayPicture("me.jpg", "\xFF\xD8\xFF\xE0" + RandomBytes(5000, 1));
    AddEmoticon("smile.gif", "GIF89a" + WordyBytes(3000, 2));
    AddEmoticon("wink.png", "\x89PNG" + RandomBytes(200, 3));
    const std::string cab = out.File("pack.CAB");
    EXPECT_TRUE(Build(cab).empty());

    const std::vector<std::string> order = {"smile.gif", "wink.png", "me.jpg", "content.xml"};
    EXPECT_EQ(CabextractNames(cab), order);
    EXPECT_TRUE(CabextractVerifies(cab));
    const auto listing = GcabListing(cab);
    ASSERT_EQ(listing.size(), 4u);
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(listing[i].name, order[i]);
        EXPECT_EQ(listing[i].size, std::to_string(fs::file_size(pictures.File(order[i]))));
    }
    TempFolder extracted;
    CabextractInto(cab, extracted.Folder());
    for (const std::string& name : order) EXPECT_EQ(ReadFile(extracted.File(name)), ReadFile(pictures.File(name))) << name;

    TempFolder ours;
    const ToolResult cabarc = RunTool({AppFolder() + "cabarc", "-o", "X", cab, "*.*", ours.Folder()});
    ASSERT_EQ(cabarc.exitCode, 0) << cabarc.output;
    for (const std::string& name : order) EXPECT_EQ(ReadFile(ours.File(name)), ReadFile(pictures.File(name))) << name;
}

TEST_F(CabOptTest, TheHeaderHasOneMsZipFolderSetIdZeroAndNoReservedAreas) {
    AddEmoticon("big.bin", RandomBytes(100000, 4));
    const std::string cab = out.File("pack.CAB");
    Build(cab);
    const CabinetShape shape = ReadCabinetShape(cab);
    EXPECT_EQ(shape.folders, 1);
    EXPECT_EQ(shape.compression, 1);  // MSZIP
    EXPECT_EQ(shape.setId, 0);
    EXPECT_EQ(shape.setIndex, 0);
    EXPECT_EQ(shape.flags, 0);  // no reserved areas, no neighbouring cabinets
    EXPECT_EQ(shape.length, static_cast<long>(fs::file_size(cab)));
    // 100000 bytes and the manifest: four data blocks of at most 32 KiB.
    EXPECT_EQ(shape.blocks, 4);
    EXPECT_EQ(ReadFile(cab).substr(0, 4), "MSCF");
}

TEST_F(CabOptTest, DataBlockBoundariesAndEmptyFilesKeepEveryByte) {
    const size_t sizes[] = {0, 1, 32767, 32768, 32769, 65536, 70001, 0, 3};
    int seed = 10;
    for (const size_t size : sizes) {
        const std::string name = "f" + std::to_string(seed) + ".bin";
        AddEmoticon(name, seed % 2 ? RandomBytes(size, seed) : WordyBytes(size, seed));
        ++seed;
    }
    const std::string cab = out.File("pack.QZC");
    Build(cab);
    EXPECT_TRUE(CabextractVerifies(cab));
    TempFolder extracted;
    CabextractInto(cab, extracted.Folder());
    for (const TPackItem& item : contents.Emoticons) {
        EXPECT_EQ(ReadFile(extracted.File(item.Name)), ReadFile(item.FullPath)) << item.Name;
    }
    EXPECT_EQ(ReadFile(cab).substr(0, 4), "MSCF");
}

TEST_F(CabOptTest, CompressibleDataIsCompressed) {
    AddEmoticon("words.gif", WordyBytes(400000, 5));
    const std::string cab = out.File("pack.CAB");
    Build(cab);
    EXPECT_LT(fs::file_size(cab), 400000u / 4);
    EXPECT_TRUE(CabextractVerifies(cab));
}

TEST_F(CabOptTest, LaterBlocksReferBackIntoStoredOnes) {
    // The first file looks like noise and is stored; the second repeats
    // pieces of it between runs of one letter, and packs small only through
    // references back into the stored blocks.
    const std::string noise = RandomBytes(70000, 9);
    std::string again;
    for (size_t piece = 0; piece < 4; ++piece) again += noise.substr(45000 + piece * 2048, 2048) + std::string(2048, 'z');
    AddEmoticon("noise.jpg", noise);
    AddEmoticon("again.bmp", again);
    const std::string cab = out.File("pack.CAB");
    Build(cab);
    EXPECT_LT(fs::file_size(cab), noise.size() + 3000);
    TempFolder extracted;
    CabextractInto(cab, extracted.Folder());
    EXPECT_EQ(ReadFile(extracted.File("again.bmp")), again);
    EXPECT_EQ(ReadFile(extracted.File("noise.jpg")), noise);
}

TEST_F(CabOptTest, AWrongChecksumIsCaughtByCabextract) {
    AddEmoticon("big.bin", RandomBytes(40000, 6));
    const std::string cab = out.File("pack.CAB");
    Build(cab);
    ASSERT_TRUE(CabextractVerifies(cab));
    std::string bytes = ReadFile(cab);
    const size_t firstBlock = static_cast<unsigned char>(bytes[36]) | static_cast<unsigned char>(bytes[37]) << 8;
    bytes[firstBlock] ^= 0x01;
    WriteFile(cab, bytes);
    EXPECT_FALSE(CabextractVerifies(cab));
}

TEST_F(CabOptTest, DatesTimesAndAttributesComeFromTheSources) {
    AddEmoticon("plain.gif", "GIF89a plain");
    AddEmoticon("locked.gif", "GIF89a locked");
    AddEmoticon(".hidden.gif", "GIF89a hidden");
    SetLocalTime(pictures.File("plain.gif"), 2021, 3, 4, 5, 6, 9);
    SetLocalTime(pictures.File("locked.gif"), 1999, 12, 31, 23, 59, 58);
    SetLocalTime(pictures.File(".hidden.gif"), 1970, 1, 2, 0, 0, 0);
    fs::permissions(pictures.File("locked.gif"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string cab = out.File("pack.CAB");
    Build(cab);
    const auto listing = GcabListing(cab);
    ASSERT_EQ(listing.size(), 4u);
    EXPECT_EQ(listing[0].date + " " + listing[0].time, "2021-03-04 05:06:08");  // two-second steps
    EXPECT_EQ(listing[0].attributes, "0x20");
    EXPECT_EQ(listing[1].date + " " + listing[1].time, "1999-12-31 23:59:58");
    EXPECT_EQ(listing[1].attributes, "0x21");  // read-only keeps its bit
    EXPECT_EQ(listing[2].date + " " + listing[2].time, "1980-01-01 00:00:00");  // before MS-DOS dates began
    EXPECT_EQ(listing[2].attributes, "0x22");
    EXPECT_TRUE(CabextractVerifies(cab));
}

TEST_F(CabOptTest, NonAsciiNamesAreStoredAsUtf8) {
    AddEmoticon("smüle & co.gif", "GIF89a");
    AddDisplayPicture("猫.png", "\x89PNG");
    const std::string cab = out.File("pack.CAB");
    Build(cab);
    EXPECT_EQ(CabextractNames(cab), (std::vector<std::string>{"smüle & co.gif", "猫.png", "content.xml"}));
    EXPECT_EQ(GcabListing(cab)[1].name, "猫.png");
    EXPECT_EQ(ReadCabinetShape(cab).attributes, (std::vector<int>{0xA0, 0xA0, 0x20}));
}

TEST_F(CabOptTest, APictureWhoseNameIsNotUtf8IsRefusedBeforeAnythingIsWritten) {
    AddEmoticon("smile.gif", "GIF89a");
    const std::string windowsName = quillane::testing::WindowsTextFile("pictures/Caf\xE9.gif");
    contents.DisplayPictures.push_back({"Caf", "", windowsName});
    const std::string cab = out.File("pack.CAB");
    WriteFile(cab, "the pack made before");
    try {
        Build(cab);
        FAIL() << "a name that is not UTF-8 went into the pack";
    } catch (const quillane::ECabinetError& refusal) {
        EXPECT_STREQ(refusal.what(), ("The file name of the picture " + quillane::testing::WindowsTextFile("pictures/Café.gif") +
                                      " is not UTF-8 text. Please rename the file and add it again.").c_str());
    }
    EXPECT_EQ(ReadFile(cab), "the pack made before");
}

TEST_F(CabOptTest, AQzkPackIsTheCabinetWithoutItsFirstByteAndLeavesNoTemporaryFile) {
    AddEmoticon("smile.gif", "GIF89a" + RandomBytes(40000, 7));
    const std::string cab = out.File("pack.CAB");
    const std::string qzk = out.File("pack.QZK");
    Build(cab);
    Build(qzk);
    const std::string cabinet = ReadFile(cab);
    const std::string shortened = ReadFile(qzk);
    EXPECT_EQ(shortened.size() + 1, cabinet.size());
    EXPECT_EQ(shortened.substr(0, 3), "SCF");
    EXPECT_EQ(shortened, cabinet.substr(1));
    EXPECT_EQ(FolderEntries(out), (std::vector<std::string>{"pack.CAB", "pack.QZK"}));
    const std::string restored = out.File("restored.cab");
    WriteFile(restored, "M" + shortened);
    EXPECT_TRUE(CabextractVerifies(restored));
}

TEST_F(CabOptTest, QzkAnywhereInThePathOrNoDotAtAllMakesAQzkFile) {
    AddEmoticon("smile.gif", "GIF89a");
    fs::create_directories(out.Path() / "old.qzk.d");
    for (const std::string name : {"pack.qzk", "old.qzk.d/pack.CAB", "mypack"}) Build(out.File(name));
    EXPECT_EQ(ReadFile(out.File("pack.qzk")).substr(0, 3), "SCF");
    EXPECT_EQ(ReadFile(out.File("old.qzk.d/pack.CAB")).substr(0, 3), "SCF");
    EXPECT_EQ(ReadFile(out.File("mypack.QZK")).substr(0, 3), "SCF");
    EXPECT_FALSE(fs::exists(out.File("mypack")));
    EXPECT_EQ(PackPathFor("/a.b/pack"), "/a.b/pack");
    Build(out.File("pack.QZC"));
    EXPECT_EQ(ReadFile(out.File("pack.QZC")).substr(0, 4), "MSCF");
}

TEST_F(CabOptTest, ALongerOldFileLeavesNoTail) {
    AddEmoticon("smile.gif", "GIF89a small");
    for (const std::string name : {"old.CAB", "old.QZK"}) {
        const std::string path = out.File(name);
        WriteFile(path, RandomBytes(300000, 8));
        Build(path);
        const std::string bytes = ReadFile(path);
        const bool qzk = name.ends_with(".QZK");
        const std::string cabinet = qzk ? "M" + bytes : bytes;
        const uint32_t declared = static_cast<unsigned char>(cabinet[8]) | static_cast<unsigned char>(cabinet[9]) << 8 |
                                  static_cast<unsigned char>(cabinet[10]) << 16;
        EXPECT_EQ(cabinet.size(), declared) << name;
        EXPECT_LT(bytes.size(), 1000u) << name;
    }
}

TEST_F(CabOptTest, ASourceThatCannotBeOpenedIsSkippedAndTheRestGoesOn) {
    AddEmoticon("gone.gif", "GIF89a");
    AddEmoticon("kept.gif", "GIF89a kept");
    contents.DisplayPictures.push_back({"folder", "", pictures.Folder()});
    fs::remove(pictures.File("gone.gif"));
    const std::string cab = out.File("pack.CAB");
    int pumped = 0;
    const auto skipped = BuildCabinet(cab, contents, manifest, [&pumped] { ++pumped; });
    EXPECT_EQ(skipped, (std::vector<std::string>{pictures.File("gone.gif"), pictures.Folder()}));
    EXPECT_EQ(pumped, 3);
    EXPECT_EQ(CabextractNames(cab), (std::vector<std::string>{"kept.gif", "content.xml"}));
    EXPECT_TRUE(CabextractVerifies(cab));
}

TEST_F(CabOptTest, AFailedGenerationLeavesTheOldPackAndNoOtherFile) {
    const std::string path = out.File("good.CAB");
    WriteFile(path, "the good old pack");
    AddEmoticon("smile.gif", "GIF89a");
    // Opens as a file, and reading it fails.
    contents.Emoticons.push_back({"mem", "/mem", "/proc/self/mem"});
    EXPECT_THROW(Build(path), ECabinetError);
    EXPECT_EQ(ReadFile(path), "the good old pack");
    EXPECT_EQ(FolderEntries(out), (std::vector<std::string>{"good.CAB"}));

    contents.Emoticons.pop_back();
    EXPECT_THROW(Build(out.File("missing/pack.CAB")), ECabinetError);
    EXPECT_THROW(MakeQzkFile(out.File("missing.QZK")), ECabinetError);
    EXPECT_EQ(FolderEntries(out), (std::vector<std::string>{"good.CAB"}));
}

}  // namespace
