// Saves a wink as an animated GIF the way File > Save as Animated GIF does, and
// compares the time with the movie's own running time. Then compares the GIF
// encoder alone (our palettes, giflib) with Pillow's on the same frames: time,
// size and mean difference from the frames the player drew, runs alternated.
//   save_wink_gif MOVIE.swf PLAYER_FOLDER [runs]
#include "FlashView.h"
#include "GifWriter.h"
#include "WinkGifJob.h"
#include "report/Summary.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QMovie>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

using namespace quillane;
using namespace quillane::bench;

namespace {

struct Frames {
    std::vector<QByteArray> rgba;
    int width = 0;
    int height = 0;
    double frameRate = 0;
};

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// One whole save; its seconds, and the frames when asked for.
double Save(const QByteArray& movie, const QString& player, const QString& target, Frames* frames) {
    TWinkGifJob job({movie, target}, player);
    if (frames) {
        QObject::connect(&job, &TWinkGifJob::FrameRendered, [frames](const QByteArray& rgba, int width, int height) {
            frames->rgba.push_back(rgba);
            frames->width = width;
            frames->height = height;
        });
    }
    QEventLoop loop;
    bool saved = false;
    QObject::connect(&job, &TWinkGifJob::Finished, &loop, [&](bool ok, const QString& message) {
        saved = ok;
        if (!ok) std::fprintf(stderr, "%s\n", qPrintable(message));
        loop.quit();
    });
    const double start = Now();
    job.Start();
    loop.exec();
    const double seconds = Now() - start;
    if (!saved) std::exit(1);
    if (frames) frames->frameRate = job.FrameRate();
    return seconds;
}

// Mean absolute difference per channel between the GIF's frames and the drawn ones.
double Difference(const QString& gif, const Frames& frames) {
    QMovie movie(gif);
    double sum = 0;
    long count = 0;
    for (std::size_t i = 0; i < frames.rgba.size() && movie.jumpToFrame(static_cast<int>(i)); ++i) {
        const QImage shown = movie.currentImage().convertToFormat(QImage::Format_RGBX8888);
        const auto* drawn = reinterpret_cast<const uchar*>(frames.rgba[i].constData());
        for (int y = 0; y < frames.height; ++y) {
            const uchar* row = shown.constScanLine(y);
            for (int x = 0; x < frames.width * 4; ++x) {
                if (x % 4 == 3) continue;
                sum += std::abs(row[x] - drawn[(y * frames.width) * 4 + x]);
                ++count;
            }
        }
    }
    return count ? sum / count : 255;
}

double EncodeOurs(const Frames& frames, const QString& target) {
    const double start = Now();
    TGifWriter writer(frames.width, frames.height);
    for (const QByteArray& rgba : frames.rgba) {
        writer.AddFrame(reinterpret_cast<const std::uint8_t*>(rgba.constData()), 1000.0 / frames.frameRate);
    }
    if (!writer.Finish(target.toStdString())) std::exit(1);
    return Now() - start;
}

// Pillow's encoder on the same frames, timed inside Python so that its start is not counted.
double EncodePillow(const QString& raw, const Frames& frames, const QString& target) {
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c",
                  "import sys, time\nfrom PIL import Image\nw, h, n, ms = map(int, sys.argv[2:6])\n"
                  "data = open(sys.argv[1], 'rb').read()\nstart = time.perf_counter()\n"
                  "frames = [Image.frombytes('RGBA', (w, h), data[i * w * h * 4:(i + 1) * w * h * 4]).convert('RGB') for i in range(n)]\n"
                  "frames[0].save(sys.argv[6], save_all=True, append_images=frames[1:], duration=ms, loop=0)\n"
                  "print(time.perf_counter() - start)",
                  raw, QString::number(frames.width), QString::number(frames.height),
                  QString::number(frames.rgba.size()), QString::number(qRound(1000.0 / frames.frameRate)), target});
    python.waitForFinished(120000);
    bool ok = false;
    const double seconds = QString::fromUtf8(python.readAllStandardOutput()).trimmed().toDouble(&ok);
    if (!ok) {
        std::fprintf(stderr, "Pillow failed: %s\n", python.readAllStandardError().constData());
        std::exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareFlashPlayer();
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: save_wink_gif MOVIE.swf PLAYER_FOLDER [runs]\n");
        return 2;
    }
    QFile file(argv[1]);
    if (!file.open(QIODevice::ReadOnly)) return 1;
    const QByteArray movie = file.readAll();
    const QString player = QString::fromLocal8Bit(argv[2]) + "/";
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    QTemporaryDir work;

    Frames frames;
    Save(movie, player, work.filePath("first.gif"), &frames);
    const double running = frames.rgba.size() / frames.frameRate;
    std::vector<double> saves;
    for (int run = 0; run < runs; ++run) saves.push_back(Save(movie, player, work.filePath("wink.gif"), nullptr));
    const double save = Median(saves);
    std::printf("Whole save of a %d x %d wink of %.1f s (%zu frames): median of %d %.2f s, %.2f x its running time\n",
                frames.width, frames.height, running, frames.rgba.size(), runs, save, save / running);
    SummaryRow("GIF save", Figure("%.0f s wink of 300 x 300, rendered and written, median of 5", running),
               Figure("%.2f s", save), "the movie's running time", Figure("%.2f s", running), Figure("%.2f", save / running),
               "at most 1.50", Met(save / running <= 1.5));

    QFile raw(work.filePath("frames.raw"));
    if (!raw.open(QIODevice::WriteOnly)) return 1;
    for (const QByteArray& rgba : frames.rgba) raw.write(rgba);
    raw.close();
    std::vector<double> ours, pillow;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(EncodeOurs(frames, work.filePath("ours.gif")));
        pillow.push_back(EncodePillow(raw.fileName(), frames, work.filePath("pillow.gif")));
    }
    const double oursTime = Median(ours), pillowTime = Median(pillow);
    const double oursSize = QFile(work.filePath("ours.gif")).size(), pillowSize = QFile(work.filePath("pillow.gif")).size();
    const double oursDiff = Difference(work.filePath("ours.gif"), frames);
    const double pillowDiff = Difference(work.filePath("pillow.gif"), frames);
    std::printf("Encoder, same %zu frames, median of %d: ours %.3f s, %.0f bytes, difference %.2f; "
                "Pillow %.3f s, %.0f bytes, difference %.2f\n",
                frames.rgba.size(), runs, oursTime, oursSize, oursDiff, pillowTime, pillowSize, pillowDiff);
    SummaryRow("GIF save", "encoder alone, same frames, time", Figure("%.3f s", oursTime), "Pillow",
               Figure("%.3f s", pillowTime), Figure("%.2f", oursTime / pillowTime), "none set", "-");
    SummaryRow("GIF save", "encoder alone, same frames, size", Figure("%.0f bytes", oursSize), "Pillow",
               Figure("%.0f bytes", pillowSize), Figure("%.2f", oursSize / pillowSize), "none set", "-");
    SummaryRow("GIF save", "encoder alone, mean difference per channel from the drawn frames",
               Figure("%.2f", oursDiff), "Pillow", Figure("%.2f", pillowDiff), "-", "at most 4", Met(oursDiff <= 4));
    return 0;
}
