// Times generating a pack of 200 pictures of 100 KiB each with our cabinet
// writer and with `gcab -c -z` on the same files, and prints both times,
// both sizes and the ratios. Goal: at least twice as fast as gcab at a size
// no larger than gcab's. Two sets: half of the pictures palette bitmaps that
// deflate well, and all of them compressed already, as GIF, PNG and JPEG
// pictures are.
//   quillane_creator_bench [runs]     (default 5 runs each, the best one counts)
#include "CabOpt.h"
#include "PackManifest.h"
#include "report/Summary.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using namespace quillane;

namespace {

constexpr int kPictures = 200;
constexpr size_t kPictureSize = 100 * 1024;

struct Timing {
    double wall = 0;
    double user = 0;
    double system = 0;
};

double Seconds(const timeval& t) {
    return t.tv_sec + t.tv_usec / 1e6;
}

// A picture compressed already (noise to deflate), or a palette bitmap with
// gradients and scattered noise.
std::string PictureBytes(int number, bool bitmap) {
    std::mt19937 random(number);
    std::string bytes(kPictureSize, '\0');
    if (!bitmap) {
        for (char& c : bytes) c = static_cast<char>(random());
        return bytes;
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        const size_t row = i / 256;
        const size_t column = i % 256;
        const bool noise = random() % 16 == 0;
        bytes[i] = static_cast<char>(noise ? random() % 64 : (row / 8 + column / 32 + number) % 64);
    }
    return bytes;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

Timing TimeOurs(const TPackContents& contents, const std::string& appPath, const std::string& pack) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    const std::string manifest = WriteManifest(contents, appPath, [] {});
    BuildCabinet(pack, contents, manifest, [] {});
    const auto stop = std::chrono::steady_clock::now();
    getrusage(RUSAGE_SELF, &after);
    return {std::chrono::duration<double>(stop - start).count(), Seconds(after.ru_utime) - Seconds(before.ru_utime),
            Seconds(after.ru_stime) - Seconds(before.ru_stime)};
}

Timing TimeGcab(const std::vector<std::string>& files, const std::string& cabinet) {
    fs::remove(cabinet);
    std::vector<std::string> command = {"gcab", "-c", "-n", "-z", cabinet};
    command.insert(command.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (std::string& part : command) argv.push_back(part.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, "gcab", nullptr, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start gcab");
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const auto stop = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("gcab failed");
    return {std::chrono::duration<double>(stop - start).count(), Seconds(usage.ru_utime), Seconds(usage.ru_stime)};
}

Timing Best(const std::vector<Timing>& runs) {
    Timing best = runs.front();
    for (const Timing& run : runs) {
        if (run.wall < best.wall) best = run;
    }
    return best;
}

void PrintRow(const char* name, const Timing& timing, uintmax_t size) {
    std::printf("%-10s %9.3f %9.3f %9.3f %12ju\n", name, timing.wall, timing.user, timing.system, size);
}

// Generates the set both ways `runs` times and prints the best run of each.
void Compare(const fs::path& work, bool withBitmaps, int runs) {
    fs::remove_all(work);
    fs::create_directories(work / "pictures");
    fs::create_directories(work / "app" / "Preview");
    TPackContents contents;
    std::vector<std::string> files;
    for (int i = 0; i < kPictures; ++i) {
        const bool bitmap = withBitmaps && i % 2 == 1;
        const fs::path picture = work / "pictures" / ("picture" + std::to_string(i) + (bitmap ? ".bmp" : ".jpg"));
        WriteBytes(picture, PictureBytes(i, bitmap));
        const std::string name = picture.stem().string();
        contents.Emoticons.push_back({name, '/' + name, picture.string()});
        files.push_back(picture.string());
    }
    const std::string appPath = (work / "app").string() + "/";
    const std::string ours = (work / "pack.CAB").string();
    const std::string theirs = (work / "gcab.cab").string();
    WriteManifest(contents, appPath, [] {});
    files.push_back(appPath + "Preview/content.xml");

    std::vector<Timing> ourRuns, gcabRuns;
    for (int run = 0; run < runs; ++run) {
        ourRuns.push_back(TimeOurs(contents, appPath, ours));
        gcabRuns.push_back(TimeGcab(files, theirs));
    }
    const Timing a = Best(ourRuns);
    const Timing b = Best(gcabRuns);
    const auto ourSize = fs::file_size(ours);
    const auto gcabSize = fs::file_size(theirs);
    std::printf("%d pictures of %zu KiB, %s, best of %d runs\n", kPictures, kPictureSize / 1024,
                withBitmaps ? "half of them bitmaps" : "all compressed already", runs);
    std::printf("%-10s %9s %9s %9s %12s\n", "", "wall s", "user s", "system s", "size bytes");
    PrintRow("Quillane", a, ourSize);
    PrintRow("gcab -z", b, gcabSize);
    std::printf("speed: %.2f times as fast as gcab in wall time, %.2f in processor time (goal 2.00 or more)\n",
                b.wall / a.wall, (b.user + b.system) / (a.user + a.system));
    const double sizeRatio = static_cast<double>(ourSize) / gcabSize;
    std::printf("size: %.4f of gcab's (goal 1.0000 or less)\n\n", sizeRatio);
    using namespace quillane::bench;
    const std::string kase = std::to_string(kPictures) + " pictures of " + std::to_string(kPictureSize / 1024) + " KiB, " +
                             (withBitmaps ? "half bitmaps" : "all compressed already");
    SummaryRow("Pack generation", kase + ", speed", Figure("%.3f s", a.wall), "gcab -c -z", Figure("%.3f s", b.wall),
               Figure("%.2f times as fast", b.wall / a.wall), "at least 2.00 times as fast", Met(b.wall / a.wall >= 2.0));
    SummaryRow("Pack generation", kase + ", size", std::to_string(ourSize) + " bytes", "gcab -c -z",
               std::to_string(gcabSize) + " bytes", Figure("%.4f", sizeRatio), "at most 1.0000", Met(sizeRatio <= 1.0));
}

}  // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path work = fs::temp_directory_path() / ("quillane-pack-bench-" + std::to_string(getpid()));
    try {
        Compare(work, true, runs);
        Compare(work, false, runs);
        fs::remove_all(work);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillane_creator_bench: %s\n", error.what());
        std::error_code ignored;
        fs::remove_all(work, ignored);
        return 1;
    }
}
