// Writes the frames the preview's player draws of a movie as PNG pictures,
// 00000.png on, and prints the movie's frame rate: what an export of the
// movie is measured against.
//   draw_movie_frames MOVIE.swf PLAYER_FOLDER FOLDER
#include "FlashView.h"
#include "WinkGifJob.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>

using namespace quillane;

int main(int argc, char** argv) {
    PrepareFlashPlayer();
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: draw_movie_frames MOVIE.swf PLAYER_FOLDER FOLDER\n");
        return 2;
    }
    QFile file(argv[1]);
    if (!file.open(QIODevice::ReadOnly)) return 1;
    const QDir folder(QString::fromLocal8Bit(argv[3]));
    QTemporaryDir work;
    TWinkGifJob job({file.readAll(), work.filePath("movie.gif")}, QString::fromLocal8Bit(argv[2]) + "/");
    int drawn = 0;
    QObject::connect(&job, &TWinkGifJob::FrameRendered, [&](const QByteArray& rgba, int width, int height) {
        const QImage frame(reinterpret_cast<const uchar*>(rgba.constData()), width, height, QImage::Format_RGBA8888);
        frame.save(folder.filePath(QString("%1.png").arg(drawn++, 5, 10, QChar('0'))));
    });
    QEventLoop loop;
    bool saved = false;
    QObject::connect(&job, &TWinkGifJob::Finished, &loop, [&](bool ok, const QString& message) {
        saved = ok;
        if (!ok) std::fprintf(stderr, "%s\n", qPrintable(message));
        loop.quit();
    });
    job.Start();
    loop.exec();
    if (!saved) return 1;
    std::printf("%g\n", job.FrameRate());
    return 0;
}
