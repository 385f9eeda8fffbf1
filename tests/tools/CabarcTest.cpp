// The cabarc tool, run as the preview runs it, on cabinets made by gcab and by hand.
#include "CabinetExtractor.h"
#include "TempFolder.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;
using quillane::testing::AppFolder;
using quillane::testing::ReadFile;
using quillane::testing::TempFolder;
using quillane::testing::WriteFile;

namespace {

struct ToolRun {
    int exitCode;
    std::string errors;
};

ToolRun RunTool(const std::string& arguments, const TempFolder& folder) {
    const std::string errors = folder.File("stderr.txt");
    const int status = std::system((AppFolder() + "cabarc " + arguments + " 2>'" + errors + "'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(errors)};
}

void Gcab(const std::string& options, const std::string& cabinet, const std::string& folder,
          const std::vector<std::string>& names) {
    std::string command = "cd '" + folder + "' && gcab " + options + " -c '" + cabinet + "'";
    for (const auto& name : names) command += " '" + name + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string Bytes(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((i % 7 == 0) ? (state >> 16) : ('a' + i % 13));
    }
    return bytes;
}

void Put16(std::string& out, uint16_t v) { out += char(v & 0xFF); out += char(v >> 8); }
void Put32(std::string& out, uint32_t v) { Put16(out, uint16_t(v & 0xFFFF)); Put16(out, uint16_t(v >> 16)); }

// An uncompressed cabinet with the names exactly as given, hostile ones included.
std::string StoredCabinet(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string entries, data;
    for (const auto& [name, bytes] : files) {
        Put32(entries, uint32_t(bytes.size()));
        Put32(entries, uint32_t(data.size()));
        Put16(entries, 0);                      // folder 0
        Put16(entries, (45 << 9) | (1 << 5) | 1);  // 2025-01-01
        Put16(entries, (12 << 11));             // 12:00:00
        Put16(entries, 0x20);                   // archive
        entries += name + '\0';
        data += bytes;
    }
    const uint32_t headerSize = 36, folderSize = 8;
    const uint32_t dataOffset = headerSize + folderSize + uint32_t(entries.size());
    std::string block;
    Put32(block, 0);  // no checksum
    Put16(block, uint16_t(data.size()));
    Put16(block, uint16_t(data.size()));
    block += data;
    std::string cab = "MSCF";
    Put32(cab, 0);
    Put32(cab, dataOffset + uint32_t(block.size()));
    Put32(cab, 0);
    Put32(cab, headerSize + folderSize);
    Put32(cab, 0);
    cab += char(3);
    cab += char(1);
    Put16(cab, 1);
    Put16(cab, uint16_t(files.size()));
    Put16(cab, 0);
    Put16(cab, 0);
    Put16(cab, 0);
    Put32(cab, dataOffset);
    Put16(cab, 1);
    Put16(cab, 0);  // stored
    return cab + entries + block;
}

}  // namespace

TEST(Cabarc, ExtractsUncompressedAndMszipCabinetsMadeByGcab) {
    TempFolder folder;
    const std::string big = Bytes(200 * 1024);
    WriteFile(folder.File("src/content.xml"), "<package/>");
    WriteFile(folder.File("src/movie.swf"), big);
    for (const std::string options : {"", "-z"}) {
        const std::string cabinet = folder.File("pack" + options + ".cab");
        Gcab(options, cabinet, folder.File("src"), {"content.xml", "movie.swf"});
        const std::string out = folder.Folder() + "out" + options + "/";
        fs::create_directories(out);
        WriteFile(out + "movie.swf", "an older file of the same name");
        const ToolRun run = RunTool("-o X '" + cabinet + "' '*.*' " + out, folder);
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(ReadFile(out + "content.xml"), "<package/>");
        EXPECT_TRUE(ReadFile(out + "movie.swf") == big) << "compression '" << options << "'";
        EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 2) << "no leftovers";
    }
}

TEST(Cabarc, ExtractsOnlyTheFilesThatMatchThePattern) {
    TempFolder folder;
    WriteFile(folder.File("src/a.XML"), "1");
    WriteFile(folder.File("src/b.swf"), "2");
    Gcab("-z", folder.File("p.cab"), folder.File("src"), {"a.XML", "b.swf"});
    fs::create_directories(folder.File("out"));
    const ToolRun run = RunTool("-o X " + folder.File("p.cab") + " '*.xml' " + folder.Folder() + "out/", folder);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(fs::exists(folder.File("out/a.XML")));
    EXPECT_FALSE(fs::exists(folder.File("out/b.swf")));
}

TEST(Cabarc, TakesAFolderRightAfterTheCabinetAndNamesGivenAsDotSlash) {
    TempFolder folder;
    WriteFile(folder.File("src/a.gif"), "picture");
    Gcab("-z", folder.File("p.cab"), folder.File("src"), {"./a.gif"});
    fs::create_directories(folder.File("out"));
    const ToolRun run = RunTool("X " + folder.File("p.cab") + " " + folder.Folder() + "out/", folder);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(ReadFile(folder.File("out/a.gif")), "picture");
}

TEST(Cabarc, RefusesNamesThatLeaveTheFolder) {
    TempFolder folder;
    WriteFile(folder.File("evil.cab"), StoredCabinet({{"..\\escape.txt", "x"},
                                                      {"\\absolute.txt", "y"},
                                                      {"sub\\..\\..\\deeper.txt", "z"},
                                                      {"sub\\fine.txt", "ok"}}));
    fs::create_directories(folder.File("out/inner"));
    const ToolRun run = RunTool("-o X " + folder.File("evil.cab") + " '*.*' " + folder.Folder() + "out/inner/", folder);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.errors.find("..\\escape.txt"), std::string::npos) << run.errors;
    EXPECT_FALSE(fs::exists(folder.File("out/escape.txt")));
    EXPECT_FALSE(fs::exists(folder.File("escape.txt")));
    EXPECT_FALSE(fs::exists("/absolute.txt"));
    EXPECT_FALSE(fs::exists(folder.File("out/deeper.txt")));
    EXPECT_EQ(ReadFile(folder.File("out/inner/sub/fine.txt")), "ok");
}

// The names of everything below the folder, sorted.
std::vector<std::string> NamesBelow(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Cabarc, NamesMadeOnWindowsAreWrittenAsUtf8) {
    TempFolder folder;
    const auto extract = [&](const std::string& pack) {
        const std::string out = folder.Folder() + pack + "/";
        fs::create_directories(out);
        const ToolRun run = RunTool("-o X '" + quillane::testing::WindowsTextFile(pack) + "' '*.*' " + out, folder);
        return std::make_pair(run, NamesBelow(out));
    };
    const auto [latin, latinNames] = extract("pack-1252.cab");
    EXPECT_EQ(latin.exitCode, 0) << latin.errors;
    EXPECT_EQ(latinNames, (std::vector<std::string>{"Café.gif", "content.xml", "élan.gif"}));
    EXPECT_EQ(ReadFile(folder.File("pack-1252.cab/Café.gif")).substr(0, 3), "GIF");

    // Chinese names are read in the one code page cabarc assumes: garbled, but text.
    const auto [chinese, chineseNames] = extract("pack-gbk.cab");
    EXPECT_EQ(chinese.exitCode, 0) << chinese.errors;
    EXPECT_EQ(chineseNames, (std::vector<std::string>{"content.xml", "¿ªÐÄ.gif", "Ð¦Á³.gif"}));

    // A UTF-8 sequence cut short is no UTF-8; a name that leaves the folder is refused as ever.
    const auto [broken, brokenNames] = extract("pack-broken-names.cab");
    EXPECT_EQ(broken.exitCode, 0) << broken.errors;
    EXPECT_EQ(brokenNames, (std::vector<std::string>{"cutä¸.gif"}));
    EXPECT_NE(broken.errors.find("skipped \"..\\évade.gif\""), std::string::npos) << broken.errors;
    EXPECT_FALSE(fs::exists(folder.File("évade.gif")));
}

TEST(Cabarc, ADamagedCabinetFailsClearlyAndLeavesNoPartialFile) {
    TempFolder folder;
    WriteFile(folder.File("src/movie.swf"), Bytes(300 * 1024));
    Gcab("-z", folder.File("whole.cab"), folder.File("src"), {"movie.swf"});
    const std::string whole = ReadFile(folder.File("whole.cab"));
    WriteFile(folder.File("cut.cab"), whole.substr(0, whole.size() / 2));
    fs::create_directories(folder.File("out"));
    const ToolRun run = RunTool("-o X " + folder.File("cut.cab") + " '*.*' " + folder.Folder() + "out/", folder);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.errors.find("movie.swf"), std::string::npos) << run.errors;
    EXPECT_TRUE(fs::is_empty(folder.File("out"))) << "nothing half-written stays behind";

    WriteFile(folder.File("page.cab"), "<html><body><h1>404 Not Found</h1>The pack is not here.</body></html>");
    WriteFile(folder.File("tiny.cab"), "MSC");
    const ToolRun notCabinet = RunTool("-o X " + folder.File("page.cab") + " '*.*' " + folder.Folder() + "out/", folder);
    EXPECT_NE(notCabinet.exitCode, 0);
    EXPECT_NE(notCabinet.errors.find("not a cabinet file"), std::string::npos) << notCabinet.errors;
    const ToolRun tiny = RunTool("-o X " + folder.File("tiny.cab") + " '*.*' " + folder.Folder() + "out/", folder);
    EXPECT_NE(tiny.exitCode, 0);
    EXPECT_NE(tiny.errors.find("not a cabinet file"), std::string::npos) << tiny.errors;
}

TEST(Cabarc, NamesThatClashFailAsTheCabinetsFaultNotTheDisks) {
    TempFolder folder;
    WriteFile(folder.File("clash.cab"), StoredCabinet({{"e.gif", "file first"},
                                                       {"e.gif\\f.gif", "below a file"},
                                                       {"d\\g.gif", "folder first"},
                                                       {"d", "over a folder"}}));
    fs::create_directories(folder.File("out"));
    std::vector<std::string> complaints;
    const auto report = quillane::ExtractCabinet(folder.File("clash.cab"), "*.*", folder.File("out"),
                                                 [&](const std::string& text) { complaints.push_back(text); });
    EXPECT_EQ(report.extracted, 2);
    EXPECT_EQ(report.failed, 2);
    EXPECT_EQ(report.unwritten, 0) << "the disk took every file it was given";
    EXPECT_EQ(complaints.size(), 2u);
    EXPECT_EQ(ReadFile(folder.File("out/e.gif")), "file first");
    EXPECT_EQ(ReadFile(folder.File("out/d/g.gif")), "folder first");
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(folder.File("out")))
        left.push_back(fs::relative(entry.path(), folder.File("out")).string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"d", "d/g.gif", "e.gif"})) << "no partial file stays behind";
}

TEST(Cabarc, ANameAsLongAsTheFileSystemAllowsExtracts) {
    TempFolder folder;
    const std::string name = std::string(251, 'n') + ".gif";
    WriteFile(folder.File("long.cab"), StoredCabinet({{name, "long name"}}));
    fs::create_directories(folder.File("out"));
    const auto report = quillane::ExtractCabinet(folder.File("long.cab"), "*.*", folder.File("out"),
                                                 [](const std::string&) {});
    EXPECT_EQ(report.extracted, 1);
    EXPECT_EQ(report.failed, 0);
    EXPECT_EQ(ReadFile(folder.File("out/" + name)), "long name");
}

TEST(Cabarc, OtherUsagePrintsTheUsageAndFails) {
    TempFolder folder;
    for (const std::string arguments : {"", "-o", "-q X a.cab", "L a.cab", "-o X a b c d"}) {
        const ToolRun run = RunTool(arguments, folder);
        EXPECT_NE(run.exitCode, 0) << arguments;
        EXPECT_NE(run.errors.find("Usage: cabarc"), std::string::npos) << arguments;
    }
}

TEST(Cabarc, SafeRelativePathTurnsBackslashesIntoFolders) {
    EXPECT_EQ(quillane::SafeRelativePath("a\\b.txt"), "a/b.txt");
    EXPECT_EQ(quillane::SafeRelativePath("C:\\x"), "");
    EXPECT_EQ(quillane::SafeRelativePath("a\\\\b"), "");
    EXPECT_EQ(quillane::SafeRelativePath("a/./b"), "a/b");
    EXPECT_EQ(quillane::SafeRelativePath(".\\picture.bmp"), "picture.bmp");
    EXPECT_EQ(quillane::SafeRelativePath("."), "");
    EXPECT_EQ(quillane::SafeRelativePath(".\\..\\x"), "");
    EXPECT_EQ(quillane::SafeRelativePath(""), "");
    EXPECT_EQ(quillane::SafeRelativePath("..."), "...");
}
