// Times the preview as a person arrowing through the tree meets it: from the
// tree's highlighted row changing (as a key changes it) to the first painted
// picture of that pack in the preview, taken by the paint events of the
// preview's widgets. Every bundled pack, round after round: the first round
// reads each pack (cold), the later ones find it kept (warm). Beside each
// measurement, alternating with it, the floor: a bare Qt window of a tree of
// the same packs and a plain QLabel, which on the tree's selection changing
// is given the same picture, already decoded; timed the same way to the
// label's paint. For winks and Flash display pictures the first frame of the
// movie is timed too.
//   preview_latency APPDIR [rounds]
#include "CatalogueTreeModel.h"
#include "EmoticonGrid.h"
#include "FlashView.h"
#include "FrmMainU.h"
#include "PictureReading.h"
#include "PreviewArea.h"
#include "PreviewContents.h"
#include "StillStage.h"
#include "WinksGlobal.h"
#include "report/Summary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QStandardItemModel>
#include <QMovie>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace quillane;

namespace {

constexpr int kTimeOutMs = 15000;

// Notes the time of the first paint of one of the watched widgets that the test accepts.
class PaintWatch : public QObject {
public:
    std::function<bool(QObject*)> accepts;
    qint64 paintedAt = -1;
    QElapsedTimer* clock = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && paintedAt < 0 && accepts && accepts(watched)) paintedAt = clock->nsecsElapsed();
        return false;
    }
};

// Runs the event loop until `done` holds; false on the time-out.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > kTimeOutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

struct Pack {
    QModelIndex index;
    CatalogueNode node;
    QString title;
    bool movie = false;        // a wink or a display picture
    QString movieStem;         // what the Flash view's movie name holds for it
    QImage floorPicture;       // what the plain QLabel shows: the same picture, decoded
    std::vector<double> ours, floor, movieFrame;
};

struct Figures {
    double median;
    double worst;
};

Figures Of(std::vector<double> values) {
    const double worst = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    return {values.empty() ? 0 : bench::Median(values), worst};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: preview_latency APPDIR [rounds]\n");
        return 2;
    }
    std::string appDir = argv[1];
    if (appDir.back() != '/') appDir += '/';
    const int rounds = argc > 2 ? std::max(2, std::atoi(argv[2])) : 20;

    PrepareFlashPlayer();
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    InstallGlobal(std::make_unique<TGlobal>(appDir));
    QElapsedTimer clock;
    clock.start();

    TFrmMain window;
    window.show();
    QWidget floorWindow;
    floorWindow.setWindowTitle("Floor");
    auto* floorLayout = new QHBoxLayout(&floorWindow);
    auto* floorTree = new QTreeView(&floorWindow);
    QStandardItemModel floorModel;
    floorTree->setModel(&floorModel);
    floorTree->setHeaderHidden(true);
    auto* floorLabel = new QLabel(&floorWindow);
    floorLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    floorLayout->addWidget(floorTree);
    floorLayout->addWidget(floorLabel, 1);
    floorWindow.resize(window.size());
    floorWindow.move(window.geometry().right() + 10, window.y());
    floorWindow.show();
    if (!WaitFor([&] { return window.flsPreview->EngineStarted(); })) {
        std::fprintf(stderr, "preview_latency: the player never started\n");
        return 1;
    }
    // A person's first key comes a second after the window is up at the soonest.
    QElapsedTimer pause;
    pause.start();
    WaitFor([&] { return pause.elapsed() >= 1000; });

    // The bundled packs, in the tree's order.
    QTreeView* tree = window.treWinksList;
    auto* model = static_cast<CatalogueTreeModel*>(tree->model());
    std::vector<Pack> packs;
    for (int category = 0; category < model->rowCount(); ++category) {
        const QModelIndex parent = model->index(category, 0);
        const QString name = parent.data().toString();
        tree->expand(parent);
        for (int row = 0; row < model->rowCount(parent); ++row) {
            Pack pack;
            pack.index = model->index(row, 0, parent);
            pack.node = model->NodeAt(pack.index);
            pack.title = pack.index.data().toString();
            pack.movie = !name.contains("Emoticons");
            const std::string prePath = pack.node.attribute("PrePath").value();
            const std::string url = pack.node.attribute("DownloadUrl").value();
            const std::string local = Global().UserOrAppFile("msnpack/" + url.substr(url.rfind('/') + 1));
            if (pack.movie) {
                pack.movieStem = QString::fromStdString(prePath).section('.', 0, 0);
                pack.floorPicture = ReadPicture(QByteArray::fromStdString(StillPictureOf(local)));
            } else {
                const QString source = prePath.find(".gif") != std::string::npos
                                           ? QString::fromStdString(Global().UserOrAppFile("Preview/" + prePath))
                                           : ":/gif/" + QString::fromStdString(prePath);
                QFile file(source);
                if (file.open(QIODevice::ReadOnly)) pack.floorPicture = ReadPicture(file.readAll());
            }
            floorModel.appendRow(new QStandardItem(pack.title));
            packs.push_back(std::move(pack));
        }
    }
    QObject::connect(floorTree->selectionModel(), &QItemSelectionModel::currentChanged, [&](const QModelIndex& current) {
        floorLabel->setPixmap(QPixmap::fromImage(packs[static_cast<std::size_t>(current.row())].floorPicture));
    });

    TStillStage* still = window.flsPreview->findChild<TStillStage*>("flsPreviewStill");
    PaintWatch watch;
    watch.clock = &clock;
    for (QObject* watched : std::initializer_list<QObject*>{still, window.gifPrevew, window.pnlPreview->grdEmoticons, floorLabel}) {
        watched->installEventFilter(&watch);
    }
    qint64 movieShownAt = -1;
    QObject::connect(window.flsPreview, &TFlashView::FirstFrameShown, [&] { movieShownAt = clock.nsecsElapsed(); });

    tree->setFocus();
    double firstMovie = -1;
    for (int round = 0; round < rounds; ++round) {
        for (Pack& pack : packs) {
            // Ours: the highlighted row changes as a key changes it; the window previews it.
            watch.paintedAt = -1;
            movieShownAt = -1;
            if (pack.movie) {
                watch.accepts = [&](QObject* watched) {
                    return window.flsPreview->Movie().contains(pack.movieStem) &&
                           ((watched == still && still->isVisible() && !still->Picture().isNull()));
                };
            } else {
                watch.accepts = [&](QObject* watched) {
                    return window.CurrentItem == pack.node && (watched == window.gifPrevew || watched == window.pnlPreview->grdEmoticons);
                };
            }
            const qint64 start = clock.nsecsElapsed();
            tree->setCurrentIndex(pack.index);
            const bool painted = WaitFor([&] {
                return watch.paintedAt >= 0 || (pack.movie && movieShownAt >= 0 && window.flsPreview->Movie().contains(pack.movieStem));
            });
            if (!painted) {
                std::fprintf(stderr, "preview_latency: %s was never shown\n", qPrintable(pack.title));
                return 1;
            }
            const qint64 shownAt = watch.paintedAt >= 0 ? watch.paintedAt : movieShownAt;
            pack.ours.push_back((shownAt - start) / 1e6);
            if (pack.movie) {
                if (!WaitFor([&] { return movieShownAt >= 0; })) {
                    std::fprintf(stderr, "preview_latency: the movie of %s never played\n", qPrintable(pack.title));
                    return 1;
                }
                pack.movieFrame.push_back((movieShownAt - start) / 1e6);
                if (firstMovie < 0) firstMovie = pack.movieFrame.back();
            }

            // The floor: the bare window's tree moves to the same pack.
            watch.paintedAt = -1;
            watch.accepts = [&](QObject* watched) { return watched == floorLabel; };
            const qint64 floorStart = clock.nsecsElapsed();
            floorTree->setCurrentIndex(floorModel.index(static_cast<int>(&pack - packs.data()), 0));
            if (!WaitFor([&] { return watch.paintedAt >= 0; })) {
                std::fprintf(stderr, "preview_latency: the floor label was never painted\n");
                return 1;
            }
            pack.floor.push_back((watch.paintedAt - floorStart) / 1e6);
        }
    }

    std::printf("%-22s %10s %10s %10s %10s %10s %10s %8s\n", "pack", "cold ms", "warm med", "warm worst", "floor med",
                "floor worst", "movie med", "ratio");
    double worstWarm = 0;
    double worstRatio = 0;
    std::vector<double> allWarm;
    std::vector<double> allFloor;
    for (const Pack& pack : packs) {
        const Figures warm = Of({pack.ours.begin() + 1, pack.ours.end()});
        const Figures floorFigures = Of(pack.floor);
        const Figures movie = Of(pack.movieFrame.size() > 1 ? std::vector<double>(pack.movieFrame.begin() + 1, pack.movieFrame.end())
                                                            : std::vector<double>{});
        const double ratio = warm.median / std::max(floorFigures.median, 0.001);
        worstWarm = std::max(worstWarm, warm.worst);
        worstRatio = std::max(worstRatio, ratio);
        allWarm.insert(allWarm.end(), pack.ours.begin() + 1, pack.ours.end());
        allFloor.insert(allFloor.end(), pack.floor.begin(), pack.floor.end());
        std::printf("%-22s %10.1f %10.1f %10.1f %10.1f %10.1f %10s %8.2f\n", qPrintable(pack.title), pack.ours.front(),
                    warm.median, warm.worst, floorFigures.median, floorFigures.worst,
                    pack.movie ? qPrintable(QString::number(movie.median, 'f', 1)) : "-", ratio);
    }
    const double warmMedian = bench::Median(allWarm);
    const double floorMedian = bench::Median(allFloor);
    std::printf("\nall packs, %d rounds: warm median %.1f ms, worst %.1f ms; floor median %.1f ms; worst ratio of "
                "medians %.2f; first movie after start-up %.1f ms\n",
                rounds, warmMedian, worstWarm, floorMedian, worstRatio, firstMovie);
    bench::SummaryRow("Preview", "selection to first painted picture, " + std::to_string(packs.size()) + " packs, warm, median / worst of " +
                              std::to_string(rounds - 1),
               bench::Figure("%.1f ms", warmMedian) + " / " + bench::Figure("%.1f ms", worstWarm), "bare Qt tree and QLabel with the same picture",
               bench::Figure("%.1f ms", floorMedian), bench::Figure("%.2f", warmMedian / floorMedian) + " (worst pack " +
                   bench::Figure("%.2f", worstRatio) + ")",
               "worst ≤ 100 ms, ≤ 3× floor", bench::Met(worstWarm <= 100 && worstRatio <= 3));
    bench::SummaryRow("Preview", "first movie after start-up, key to its first frame", bench::Figure("%.1f ms", firstMovie), "-", "-", "-",
               "≤ 600 ms", bench::Met(firstMovie <= 600));
    return 0;
}
