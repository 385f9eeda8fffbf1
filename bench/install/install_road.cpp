// Times the install road for a 1 MiB pack: from the moment the install
// window's start timer fires to the result event that closes the window
// (server on the install port, the store's download, check and copy), and
// prints the median of 20 runs. Beside it, the same pack fetched by curl from
// our server on another port and unpacked by cabextract, the work of the road
// done by common tools. Then a 300 MiB pack installed from a local .QZK and by URL,
// with the growth of peak resident memory during each (goal: under 64 MiB).
// Needs gcab, curl and cabextract.
#include "FlashView.h"
#include "FrmInstallU.h"
#include "WebServer.h"
#include "WinksGlobal.h"
#include "report/Summary.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

using namespace quillane;
using quillane::bench::Median;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 20;
constexpr std::size_t kPictureBytes = 1024 * 1024;
constexpr std::size_t kLargePackBytes = 300 * 1024 * 1024;

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A display picture pack whose one picture of the given size does not compress.
void MakePack(const fs::path& work, const fs::path& pack, std::size_t pictureBytes = kPictureBytes,
              const char* compress = "-z ") {
    std::string picture = "GIF89a";
    std::mt19937 random(8);
    while (picture.size() < pictureBytes) picture += static_cast<char>(random());
    Write(work / "big.gif", picture);
    Write(work / "content.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
          "<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\" version=\"1.0\" type=\"theme\">\r\n"
          "<item xmlns:usertile=\"http://messenger.msn.com/usertile/1.0\" contentid=\"big.gif\" type=\"usertile\" "
          "file=\"big.gif\" usertile:displayname=\"Big\" />\r\n</package>\r\n");
    const std::string command = "cd '" + work.string() + "' && gcab -c " + compress + "'" + pack.string() + "' content.xml big.gif";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("gcab failed");
}

// Milliseconds of each run of curl and cabextract on the pack, served from its folder.
std::vector<double> TimeCommonTools(const fs::path& pack, const fs::path& work) {
    constexpr int kPeerPort = 18751;
    TCustomWebServer server;
    server.SetSearchPath(pack.parent_path().string() + "/");
    server.SetPort(kPeerPort);
    server.SetActive(true);
    const std::string command = "cd '" + work.string() + "' && rm -rf out pack.cab && curl -sf -o pack.cab http://127.0.0.1:" +
                                std::to_string(kPeerPort) + "/" + pack.filename().string() +
                                " && cabextract -q -d out pack.cab";
    std::vector<double> milliseconds;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        if (std::system(command.c_str()) != 0) throw std::runtime_error("curl or cabextract failed");
        milliseconds.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        server.Log().DeliverPending();
    }
    server.SetActive(false);
    return milliseconds;
}

// Notes when the timer fires, before the window's own handler runs.
class TimerWatch : public QObject {
public:
    Clock::time_point fired;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Timer) fired = Clock::now();
        return false;
    }
};

// Kibibytes of a line of /proc/self/status, such as "VmHWM:".
long StatusKib(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(name, 0) == 0) return std::atol(line.c_str() + name.size());
    return -1;
}

// Installs the source in a window and tells how far peak resident memory grew, in MiB.
double PeakGrowthMib(const std::string& source) {
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKib("VmRSS:");
    Global().PackToInstall = source;
    TFrmInstall window;
    QEventLoop loop;
    QObject::connect(&window, &QDialog::finished, &loop, &QEventLoop::quit);
    window.show();
    loop.exec();
    if (!window.Installed) throw std::runtime_error("not installed: " + source);
    return static_cast<double>(StatusKib("VmHWM:") - before) / 1024.0;
}

}  // namespace

int main(int argc, char* argv[]) {
    PrepareFlashPlayer();
    QApplication application(argc, argv);
    const fs::path root = fs::temp_directory_path() / ("quillane-install-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "app/msnpack");
    fs::create_directories(root / "work");
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    const fs::path pack = root / "big.QZC";
    MakePack(root / "work", pack);
    InstallGlobal(std::make_unique<TGlobal>((root / "app").string() + "/"));

    std::vector<double> milliseconds;
    for (int run = 0; run < kRuns; ++run) {
        Global().PackToInstall = pack.string();
        TFrmInstall window;
        TimerWatch watch;
        window.findChild<QTimer*>("Timer1")->installEventFilter(&watch);
        QEventLoop loop;
        Clock::time_point result;
        QObject::connect(&window, &QDialog::finished, &loop, [&] {
            result = Clock::now();
            loop.quit();
        });
        window.show();
        loop.exec();
        if (!window.Installed) {
            std::fprintf(stderr, "run %d: not installed\n", run + 1);
            return 1;
        }
        milliseconds.push_back(std::chrono::duration<double, std::milli>(result - watch.fired).count());
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    const double ours = Median(milliseconds);
    std::printf("install road, 1 MiB pack, %d runs: median %.1f ms (fastest %.1f, slowest %.1f; goal < 100)\n", kRuns,
                ours, milliseconds.front(), milliseconds.back());
    const double tools = Median(TimeCommonTools(pack, root / "work"));
    std::printf("curl and cabextract on the same pack: median %.1f ms (ratio %.2f)\n", tools, ours / tools);
    using namespace quillane::bench;
    SummaryRow("Install road", "1 MiB pack, timer to result, median of 20", Figure("%.1f ms", ours),
               "curl + cabextract", Figure("%.1f ms", tools), Figure("%.2f", ours / tools), "under 100 ms",
               Met(ours < 100));

    // The large pack, local and by URL; uncompressed, so that making it takes little time.
    const fs::path site = root / "site";
    fs::create_directories(site);
    MakePack(root / "work", root / "large.cab", kLargePackBytes, "");
    {
        std::ifstream cabinet(root / "large.cab", std::ios::binary);
        cabinet.ignore(1);
        std::ofstream(site / "large.QZK", std::ios::binary) << cabinet.rdbuf();
    }
    fs::remove(root / "large.cab");
    fs::remove(root / "work" / "big.gif");
    const double local = PeakGrowthMib((site / "large.QZK").string());
    TCustomWebServer server;
    server.SetSearchPath(site.string() + "/");
    server.SetPort(18752);
    server.SetActive(true);
    const double byUrl = PeakGrowthMib("http://127.0.0.1:18752/large.QZK");
    server.SetActive(false);
    std::printf("300 MiB pack: peak resident memory grew %.1f MiB (local .QZK), %.1f MiB (by URL); goal < 64\n", local,
                byUrl);
    SummaryRow("Install road", "300 MiB pack, growth of peak resident memory, local .QZK / by URL",
               Figure("%.0f MiB", local) + " / " + Figure("%.0f MiB", byUrl), "(none)", "-", "-", "under 64 MiB",
               Met(local < 64 && byUrl < 64));
    fs::remove_all(root);
    return 0;
}
