// Times program start-up to the first painted window: the parent notes the time,
// starts a copy of itself that opens the window and reports the moment its first
// paint is done, and takes the median of the runs, alternating with the peer's.
// The peer is a bare main window of the same toolkit with the same parts (a menu
// bar, a toolbar, an empty tree), started the same way: the floor any such Qt
// program pays.
//   first_paint APPDIR [runs]
#include "FlashView.h"
#include "StartWindow.h"
#include "WinksGlobal.h"
#include "report/Summary.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeView>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t NowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Reports the end of the window's first paint on the pipe and ends the program.
class FirstPaintWatch : public QObject {
public:
    explicit FirstPaintWatch(int reportFd) : reportFd_(reportFd) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Queued, so the stamp is taken after the paint has been handled.
            QTimer::singleShot(0, [this] {
                const std::int64_t stamp = NowNanoseconds();
                if (::write(reportFd_, &stamp, sizeof stamp) != sizeof stamp) std::perror("first_paint");
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    int reportFd_;
    bool seen_ = false;
};

int RunChild(const std::string& kind, const std::string& appDir, int reportFd, int argc, char** argv) {
    quillane::PrepareFlashPlayer();
    QApplication application(argc, argv);
    std::unique_ptr<QWidget> window;
    if (kind == "ours") {
        quillane::InstallGlobal(std::make_unique<quillane::TGlobal>(appDir));
        window = quillane::CreateStartWindow();
    } else {
        auto bare = std::make_unique<QMainWindow>();
        bare->setWindowTitle(QStringLiteral("Bare"));
        bare->menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
        bare->addToolBar(QStringLiteral("Tools"))->addAction(QStringLiteral("Open"));
        bare->setCentralWidget(new QTreeView);
        bare->resize(640, 480);
        window = std::move(bare);
    }
    FirstPaintWatch watch(reportFd);
    window->installEventFilter(&watch);
    window->show();
    return QApplication::exec();
}

// Milliseconds from starting the child to the end of its first paint.
double TimeOneStart(const char* self, const std::string& kind, const std::string& appDir) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> words = {self, "--child", kind, appDir, fd};
    std::vector<char*> arguments;
    for (auto& word : words) arguments.push_back(word.data());
    arguments.push_back(nullptr);
    const std::int64_t start = NowNanoseconds();
    pid_t child = 0;
    if (posix_spawn(&child, self, nullptr, nullptr, arguments.data(), environ) != 0)
        throw std::runtime_error("cannot start a copy of first_paint");
    ::close(fds[1]);
    std::int64_t painted = 0;
    const bool reported = ::read(fds[0], &painted, sizeof painted) == sizeof painted;
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!reported) throw std::runtime_error(kind + ": the window was never painted");
    return static_cast<double>(painted - start) / 1e6;
}

// The medians of both, their starts alternated so that a change in the machine's load
// falls on both alike.
std::pair<double, double> MedianStarts(const char* self, const std::string& appDir, int runs) {
    // A first start of each fills caches and makes first-start files.
    TimeOneStart(self, "ours", appDir);
    TimeOneStart(self, "bare", appDir);
    std::vector<double> ours;
    std::vector<double> bare;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(TimeOneStart(self, "ours", appDir));
        bare.push_back(TimeOneStart(self, "bare", appDir));
    }
    return {quillane::bench::Median(std::move(ours)), quillane::bench::Median(std::move(bare))};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], argv[3], std::atoi(argv[4]), 1, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: first_paint APPDIR [runs]\n");
        return 2;
    }
    std::string appDir = argv[1];
    if (appDir.back() != '/') appDir += '/';
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    try {
        const auto [ours, bare] = MedianStarts(argv[0], appDir, runs);
        std::printf("start-up to first painted window, median of %d: Quillane %.1f ms, bare Qt window %.1f ms, "
                    "ratio %.2f\n", runs, ours, bare, ours / bare);
        using namespace quillane::bench;
        SummaryRow("Start-up", "to the first painted main window, median of " + std::to_string(runs),
                   Figure("%.1f ms", ours), "bare Qt 6 main window", Figure("%.1f ms", bare),
                   Figure("%.2f", ours / bare), "at most 1.05", Met(ours / bare <= 1.05));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "first_paint: %s\n", error.what());
        return 1;
    }
    return 0;
}
