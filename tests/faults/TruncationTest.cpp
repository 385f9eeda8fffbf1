// A catalogue and packs cut short at every tenth of their length, as an
// interrupted copy or download leaves them.
#include "CabinetExtractor.h"
#include "CatalogueDocument.h"
#include "ContentStore.h"
#include "FaultSupport.h"
#include "StoreTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace quillane;
using namespace quillane::testing;
namespace fs = std::filesystem;

namespace {

// The cuts of a file: 0%, 10%, ... 90% of its length.
std::vector<std::size_t> Cuts(std::size_t length) {
    std::vector<std::size_t> cuts;
    for (int tenth = 0; tenth < 10; ++tenth) cuts.push_back(length * static_cast<std::size_t>(tenth) / 10);
    return cuts;
}

// A sample pack of the application folder as a plain cabinet.
std::string SampleCabinet(const std::string& name) {
    const std::string bytes = ReadFile(AppFolder() + "msnpack/" + name);
    if (bytes.empty()) throw std::runtime_error("no sample pack " + name);
    return name.ends_with(".QZK") ? "M" + bytes : bytes;
}

struct ToolRun {
    int exitCode = -1;
    std::string errors;
};

ToolRun Cabarc(const std::string& cabinet, const std::string& folder, const TempFolder& temp) {
    const std::string errors = temp.File("cabarc-errors.txt");
    const std::string command =
        "'" + AppFolder() + "cabarc' -o X '" + cabinet + "' '*.*' '" + folder + "' 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(errors)};
}

TEST(Truncation, ACatalogueCutShortFailsToLoadWithItsNameAndStaysOnDisk) {
    TempFolder temp;
    const std::string whole = ReadFile(AppFolder() + "content.dat");
    ASSERT_GT(whole.size(), 1000u);
    const std::string path = temp.File("content.dat");
    for (const std::size_t cut : Cuts(whole.size())) {
        const std::string cutShort = whole.substr(0, cut);
        WriteFile(path, cutShort);
        TCatalogueDocument document;
        document.Load(AppFolder() + "content.dat");
        ASSERT_GT(document.Count(document.Root()), 0);
        try {
            document.Load(path);
            ADD_FAILURE() << "a catalogue cut at " << cut << " of " << whole.size() << " bytes loaded";
        } catch (const ECatalogueError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(path + " is not a well-formed catalogue: ", 0), 0u)
                << error.what();
        }
        EXPECT_THROW(document.Root(), ECatalogueError) << "a document remained after the failed load";
        EXPECT_EQ(ReadFile(path), cutShort) << "loading changed the file";
        EXPECT_EQ(Snapshot(temp.Folder()).size(), 1u);
    }
}

class TruncatedPack : public StoreTest {};

TEST_F(TruncatedPack, InstallingItFailsAsNotACabinetAndLeavesTheStoreAsItWas) {
    TContentStore store(StoreFolder());
    WriteFile(temp.File("good.cab"), SampleCabinet("heart.QZK"));
    ASSERT_EQ(store.Install(temp.File("good.cab"), "good"), kInstalled);
    auto before = Snapshot(StoreFolder());
    for (const std::string sample : {"bubbles.QZK", "cat.QZC", "owl.QZC"}) {
        const std::string whole = SampleCabinet(sample);
        for (const std::size_t cut : Cuts(whole.size())) {
            const std::string pack = temp.File("cut.cab");
            WriteFile(pack, whole.substr(0, cut));
            EXPECT_EQ(store.Install(pack, sample), kNotACabinet) << sample << " cut at " << cut;
            EXPECT_EQ(Snapshot(StoreFolder()), before) << sample << " cut at " << cut;
        }
        WriteFile(temp.File("whole.cab"), whole);
        EXPECT_EQ(store.Install(temp.File("whole.cab"), sample), kInstalled) << "the uncut " << sample;
        EXPECT_EQ(Snapshot(StoreFolder()).at("index.xml").find("source=\"" + sample + "\"") != std::string::npos, true);
        fs::remove_all(StoreFolder());
        TContentStore fresh(StoreFolder());
        ASSERT_EQ(fresh.Install(temp.File("good.cab"), "good"), kInstalled);
        // The same store again, but for the time of the install that the index records.
        before = Snapshot(StoreFolder());
    }
}

TEST_F(TruncatedPack, CabarcFailsClearlyAndLeavesOnlyWholeFilesUnderTheirNames) {
    // A pack of several files, so that a cut can fall between them.
    for (const std::string sample : {"font1.QZK", "fox.QZC"}) {
        const std::string whole = SampleCabinet(sample);
        WriteFile(temp.File("whole.cab"), whole);
        const std::string reference = temp.Folder() + "reference/";
        const ToolRun full = Cabarc(temp.File("whole.cab"), reference, temp);
        ASSERT_EQ(full.exitCode, 0) << full.errors;
        const auto expected = Snapshot(reference);
        ASSERT_GE(expected.size(), 2u);
        for (const std::size_t cut : Cuts(whole.size())) {
            const std::string cabinet = temp.File("cut.cab");
            WriteFile(cabinet, whole.substr(0, cut));
            const std::string out = temp.Folder() + "out/";
            fs::create_directories(out);
            const ToolRun run = Cabarc(cabinet, out, temp);
            EXPECT_NE(run.exitCode, 0) << sample << " cut at " << cut;
            EXPECT_EQ(run.errors.rfind("cabarc: ", 0), 0u) << sample << " cut at " << cut << ": " << run.errors;
            const bool explained = run.errors.find("not a cabinet file") != std::string::npos ||
                                   run.errors.find("damaged") != std::string::npos ||
                                   run.errors.find("read error") != std::string::npos;
            EXPECT_TRUE(explained) << run.errors;
            for (const auto& [name, bytes] : Snapshot(out)) {
                ASSERT_TRUE(expected.count(name)) << sample << " cut at " << cut << " left " << name;
                EXPECT_EQ(bytes, expected.at(name)) << sample << " cut at " << cut << ": " << name << " is partial";
            }
            fs::remove_all(out);
        }
        fs::remove_all(reference);
    }
}

}  // namespace
