// A wink saved as an animated GIF: frames rendered by the preview's player,
// read back by an independent decoder (Python's Pillow).
#include "FlashView.h"
#include "TempFolder.h"
#include "WindowTestMain.h"
#include "WinkGifJob.h"
#include "WinksGlobal.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QProcess>
#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>
#include <cmath>

using namespace quillane;

namespace {

// The bundled winks: 36 frames at 12 frames a second, on a stage of 320 x 240.
constexpr int kWinkFrames = 36;
constexpr double kWinkMs = kWinkFrames * 1000.0 / 12;

struct GifFacts {
    int frames = -1;
    int width = 0;
    int height = 0;
    int totalMs = 0;
    int loop = -1;
};

// What Pillow reads in the GIF: its frames, size, summed delays and loop count.
GifFacts ReadWithPillow(const QString& path) {
    QProcess python;
    // Debian's own Python, which python3-pil serves.
    python.start("/usr/bin/python3", {"-c",
                             "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n"
                             "total = 0\nfor i in range(im.n_frames):\n    im.seek(i)\n    total += im.info.get('duration', 0)\n"
                             "print(im.n_frames, im.size[0], im.size[1], total, im.info.get('loop', -1))",
                             path});
    python.waitForFinished(30000);
    const QStringList words = QString::fromUtf8(python.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
    if (words.size() != 5) return {};
    return {words[0].toInt(), words[1].toInt(), words[2].toInt(), words[3].toInt(), words[4].toInt()};
}

QByteArray Movie(const std::string& name) {
    QFile file(QString::fromStdString(testing::AppFolder() + "Preview/" + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Outcome {
    bool saved = false;
    QString message;
    // The longest the window's event loop went without running, in milliseconds.
    qint64 longestStall = 0;
};

Outcome RunJob(TWinkGifJob& job) {
    QSignalSpy finished(&job, &TWinkGifJob::Finished);
    Outcome outcome;
    QElapsedTimer sinceTick;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        outcome.longestStall = std::max(outcome.longestStall, sinceTick.restart());
    });
    sinceTick.start();
    ticks.start(5);
    job.Start();
    if (!finished.wait(60000)) return {false, "no result"};
    // The result may come at the end of a stall: one more tick measures it.
    QTest::qWait(20);
    outcome.saved = finished.first().at(0).toBool();
    outcome.message = finished.first().at(1).toString();
    return outcome;
}

// A movie written by the sample movies' SWF writer: `script` calls it with `out`, the path.
QByteArray SampleMovie(const std::string& path, const QString& script) {
    QProcess python;
    python.start("/usr/bin/python3", {"-c", "import sys\nsys.path.insert(0, sys.argv[1])\nimport swf\nout = sys.argv[2]\n" + script,
                                      QUILLANE_SAMPLE_SCRIPTS, QString::fromStdString(path)});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) return {};
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString PlayerFolder() { return QString::fromStdString(testing::AppFolder() + "ruffle/"); }

// Mean absolute difference per channel of two pictures of the same size.
double MeanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

// How many pixels differ by more than a quarter of the range in some channel;
// against a null picture, how many differ so from the top-left pixel.
int FarPixels(const QImage& a, const QImage& b) {
    int far = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.isNull() ? a.pixel(0, 0) : b.pixel(x, y);
            far += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))}) > 64;
        }
    }
    return far;
}

}  // namespace

class WinkGifTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallGlobal(std::make_unique<TGlobal>(testing::AppFolder())); }

    void eachBundledWinkIsSavedFrameByFrameAndLoops() {
        testing::TempFolder folder;
        // Distinct frames of each movie of scripts/samples/movies.py: the sunrise's sun
        // rises from behind the hill (top at 250 - 150t - 60(1 + 0.3t) px, the
        // hill's at 160 px), so its first 7 frames look the same.
        for (const auto& [name, distinct] : {std::pair{"heart", kWinkFrames}, {"rainbow", kWinkFrames},
                                             {"star", kWinkFrames}, {"bubbles", kWinkFrames}, {"sunrise", kWinkFrames - 6}}) {
            const QString target = QString::fromStdString(folder.File(std::string(name) + ".gif"));
            TWinkGifJob job({Movie(std::string(name) + ".swf"), target}, PlayerFolder());
            const Outcome outcome = RunJob(job);
            QVERIFY2(outcome.saved, qPrintable(outcome.message));
            // The web engine's start, once per program as for the preview, is left out.
            if (std::string(name) != "heart") QVERIFY2(outcome.longestStall < 250, qPrintable(QString("the window stalled %1 ms").arg(outcome.longestStall)));
            QVERIFY2(job.FramesStored() == distinct, qPrintable(QString("%1: %2 frames").arg(name).arg(job.FramesStored())));

            const GifFacts gif = ReadWithPillow(target);
            QCOMPARE(gif.frames, distinct);
            QCOMPARE(gif.width, 320);
            QCOMPARE(gif.height, 240);
            QCOMPARE(gif.loop, 0);
            QVERIFY2(std::abs(gif.totalMs - kWinkMs) <= 1000.0 / 12, qPrintable(QString::number(gif.totalMs)));
        }
    }

    void everyFrameMatchesThePreviewsOwnRendering() {
        testing::TempFolder folder;
        const QString target = QString::fromStdString(folder.File("heart.gif"));
        TWinkGifJob job({Movie("heart.swf"), target}, PlayerFolder());
        QVERIFY(RunJob(job).saved);
        std::vector<QImage> frames;
        QMovie gif(target);
        for (int i = 0; i < gif.frameCount() && gif.jumpToFrame(i); ++i) frames.push_back(gif.currentImage().convertToFormat(QImage::Format_RGB32));
        QCOMPARE(static_cast<int>(frames.size()), kWinkFrames);
        // The first frame is the movie's first, not the empty stage before it.
        QVERIFY(FarPixels(frames.front(), QImage()) > 1000);
        // The GIF frame nearest to a picture.
        const auto nearest = [&frames](const QImage& grab) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < frames.size(); ++i) {
                if (MeanDifference(frames[i], grab) < MeanDifference(frames[best], grab)) best = i;
            }
            return frames[best];
        };

        TFlashView view;
        view.resize(320, 240);
        view.show();
        view.SetMovie(QString::fromStdString(testing::AppFolder() + "Preview/heart.swf"));
        view.Play();
        QTRY_VERIFY_WITH_TIMEOUT(FarPixels(view.grab().toImage().convertToFormat(QImage::Format_RGB32), QImage()) > 0, 20000);
        // Each picture the playing preview shows is one of the GIF's frames, sharp edges included.
        for (int i = 0; i < 8; ++i) {
            QTest::qWait(170);
            const QImage grab = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QImage frame = nearest(grab);
            QVERIFY2(MeanDifference(frame, grab) <= 4.0, qPrintable(QString::number(MeanDifference(frame, grab))));
            QVERIFY(FarPixels(frame, grab) < grab.width() * grab.height() / 100);
        }
    }

    // The page renders off the screen: no window of its own comes up and
    // takes the focus from the window that shows the progress.
    void theRenderingShowsNoWindowAndLeavesTheFocusAlone() {
        QWidget progress;
        progress.show();
        progress.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&progress));
        testing::TempFolder folder;
        TWinkGifJob::Options options{Movie("heart.swf"), QString::fromStdString(folder.File("heart.gif"))};
        options.longestSeconds = 0.5;
        TWinkGifJob job(options, PlayerFolder());
        QStringList strays;
        connect(&job, &TWinkGifJob::FrameRendered, &job, [&] {
            for (const QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->isVisible() && widget != &progress) strays << widget->metaObject()->className();
            }
            for (const QWindow* window : QGuiApplication::topLevelWindows()) {
                if (window->isVisible() && window != progress.windowHandle()) strays << window->metaObject()->className();
            }
            if (QGuiApplication::focusWindow() != progress.windowHandle()) strays << "the focus";
        });
        QVERIFY(RunJob(job).saved);
        QCOMPARE(strays, QStringList());
    }

    void aMovieThatStopsAtItsEndPlaysOnce() {
        // The heart with a stop action before its last frame is shown: the End tag and
        // the last ShowFrame close the file; the length in the header grows by the tag.
        QByteArray movie = Movie("heart.swf");
        QVERIFY(movie.endsWith(QByteArray("\x40\x00\x00\x00", 4)));
        movie.insert(movie.size() - 4, QByteArray("\x02\x03\x07\x00", 4));
        qToLittleEndian<quint32>(static_cast<quint32>(movie.size()), movie.data() + 4);
        testing::TempFolder folder;
        const QString target = QString::fromStdString(folder.File("held.gif"));
        TWinkGifJob job({movie, target}, PlayerFolder());
        const Outcome outcome = RunJob(job);
        QVERIFY2(outcome.message.contains("plays once"), qPrintable(outcome.message));
        const GifFacts gif = ReadWithPillow(target);
        QCOMPARE(gif.frames, kWinkFrames);
        QCOMPARE(gif.loop, -1);
    }

    void halfSizeAndAChosenWidthKeepTheStagesShape() {
        testing::TempFolder folder;
        for (const auto& [width, scale, expected] : {std::tuple{0, 0.5, QSize(160, 120)}, std::tuple{200, 1.0, QSize(200, 150)}}) {
            const QString target = QString::fromStdString(folder.File("rainbow.gif"));
            TWinkGifJob::Options options{Movie("rainbow.swf"), target, width, scale};
            TWinkGifJob job(options, PlayerFolder());
            QVERIFY(RunJob(job).saved);
            QCOMPARE(QImageReader(target).size(), expected);
        }
    }

    void aMovieLongerThanTheBoundIsCutAndTheMessageSaysSo() {
        testing::TempFolder folder;
        const QString target = QString::fromStdString(folder.File("bubbles.gif"));
        TWinkGifJob::Options options{Movie("bubbles.swf"), target};
        options.longestSeconds = 1.0;
        TWinkGifJob job(options, PlayerFolder());
        const Outcome outcome = RunJob(job);
        QVERIFY(outcome.saved);
        QVERIFY2(outcome.message.contains("first 1 seconds"), qPrintable(outcome.message));
        QCOMPARE(ReadWithPillow(target).frames, 12);
    }

    void cancellingWritesNothing() {
        testing::TempFolder folder;
        const QString target = QString::fromStdString(folder.File("sunrise.gif"));
        TWinkGifJob job({Movie("sunrise.swf"), target}, PlayerFolder());
        QSignalSpy finished(&job, &TWinkGifJob::Finished);
        connect(&job, &TWinkGifJob::Progress, &job, [&job](int done) { if (done == 3) job.Cancel(); });
        job.Start();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.count(), 1);
        QVERIFY(!finished.first().at(0).toBool());
        QTest::qWait(300);
        QVERIFY(!QFile::exists(target));
    }

    void aMovieThatStartsAndEndsBlankLoopsAsItPlays() {
        // A square crossing the stage, which is empty in the first two frames and the last.
        testing::TempFolder folder;
        const QByteArray movie = SampleMovie(folder.File("blank-ends.swf"),
                                             "off = [(-400, -400, 1.0, 0.0)]\n"
                                             "swf.movie(out, 320, 240, (255, 255, 255), [((200, 0, 0), (90, 0, 0), "
                                             "[(-20, -20), (20, -20), (20, 20), (-20, 20)])], "
                                             "[off, off] + [[(40 + 24 * i, 120, 1.0, 0.0)] for i in range(10)] + [off])");
        QVERIFY(!movie.isEmpty());
        const QString target = QString::fromStdString(folder.File("blank-ends.gif"));
        TWinkGifJob job({movie, target}, PlayerFolder());
        const Outcome outcome = RunJob(job);
        QVERIFY2(outcome.saved, qPrintable(outcome.message));
        QVERIFY2(!outcome.message.contains("plays once"), qPrintable(outcome.message));
        QCOMPARE(ReadWithPillow(target).loop, 0);
    }

    void aMovieSlowerThanAFrameInTwentySecondsStillGivesAFrame() {
        // The heart at 10/256 frames a second: the frame rate follows the stage's rectangle in the header.
        QByteArray movie = Movie("heart.swf");
        const int rectBytes = (5 + 4 * (static_cast<unsigned char>(movie[8]) >> 3) + 7) / 8;
        movie[8 + rectBytes] = 10;
        movie[9 + rectBytes] = 0;
        testing::TempFolder folder;
        const QString target = QString::fromStdString(folder.File("slow.gif"));
        TWinkGifJob job({movie, target}, PlayerFolder());
        const Outcome outcome = RunJob(job);
        QVERIFY2(outcome.saved, qPrintable(outcome.message));
        QCOMPARE(job.FramesStored(), 1);
        QCOMPARE(ReadWithPillow(target).frames, 1);
    }

    void aRichFramesColoursAreReducedOffTheWindowsThread() {
        // A stage of coloured noise shown 2000 pixels wide: a frame of a million colours and more.
        testing::TempFolder folder;
        const QByteArray movie = SampleMovie(folder.File("noise.swf"),
                                             "import random\nrandom.seed(3)\nnoise = random.randbytes(3 * 1000 * 750)\n"
                                             "pixels = [tuple(noise[i:i + 3]) for i in range(0, len(noise), 3)]\n"
                                             "swf.movie(out, 320, 240, (255, 255, 255), [(swf.bitmap_fill(1, 0.32), (0, 0, 0), "
                                             "[(0, 0), (320, 0), (320, 240), (0, 240)])], [[(0, 0, 1.0, 0.0)]], "
                                             "definitions=swf.bitmap(1, 1000, 750, pixels))");
        QVERIFY(!movie.isEmpty());
        TWinkGifJob::Options options{movie, QString::fromStdString(folder.File("noise.gif")), 2000};
        options.longestSeconds = 0.1;
        TWinkGifJob job(options, PlayerFolder());
        const Outcome outcome = RunJob(job);
        QVERIFY2(outcome.saved, qPrintable(outcome.message));
        QVERIFY2(outcome.longestStall < 1000, qPrintable(QString("the window stalled %1 ms").arg(outcome.longestStall)));
    }

    void aFileThatIsNoMovieGivesAMessage() {
        testing::TempFolder folder;
        TWinkGifJob job({"<html>404</html>", QString::fromStdString(folder.File("page.gif"))}, PlayerFolder());
        const Outcome outcome = RunJob(job);
        QVERIFY(!outcome.saved);
        QVERIFY(!outcome.message.isEmpty());
    }
};

QUILLANE_WINDOW_TEST_MAIN(WinkGifTest)

#include "WinkGifTest.moc"
