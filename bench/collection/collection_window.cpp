// Times a folder of packs opened as a collection in the main window, off the
// screen: from the folder being chosen to the first rows in the list and to
// the end of the scan, the longest the window's event loop went unserved while
// the scan ran, and the memory the collection took above the empty window.
// The caller empties the cache (XDG_CACHE_HOME) for a cold run.
//   collection_window APPDIR FOLDER
#include "CollectionView.h"
#include "FrmMainU.h"
#include "WinksGlobal.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

// A line of /proc/self/status in KiB: VmRSS now, VmHWM the peak.
long StatusKiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
    }
    return -1;
}

// How often the event loop is asked to answer: the stall is the longest wait beyond it.
constexpr int kTickMs = 5;

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: collection_window APPDIR FOLDER\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    quillane::InstallGlobal(std::make_unique<quillane::TGlobal>(std::string(argv[1]) + "/"));
    quillane::TFrmMain window;
    window.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000) QApplication::processEvents(QEventLoop::AllEvents, 50);
    const long emptyWindow = StatusKiB("VmRSS");

    QElapsedTimer clock;
    qint64 firstRows = -1, lastTick = 0, longestGap = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kTickMs);
    const QAbstractItemModel* rows = window.Collection().lstCollection->model();
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
        if (firstRows < 0 && rows->rowCount() > 0) firstRows = now;
    });
    QObject::connect(&window.Collection(), &quillane::TCollectionView::ScanEnded, [&] {
        // The end of the scan is handled in one turn of the loop too, and may bring the first rows.
        const qint64 total = clock.elapsed();
        longestGap = std::max(longestGap, total - lastTick);
        if (firstRows < 0) firstRows = total;
        std::printf("first rows %.3f s, all %d rows of packs %.3f s, longest stall %lld ms, memory above the empty window %.1f MiB\n",
                    firstRows / 1000.0, window.Collection().lstCollection->model()->rowCount(), total / 1000.0,
                    static_cast<long long>(longestGap - kTickMs), (StatusKiB("VmHWM") - emptyWindow) / 1024.0);
        QApplication::quit();
    });
    clock.start();
    tick.start();
    window.OpenCollection(argv[2]);
    return QApplication::exec();
}
