// Renders the window's SVG pictures to PNG at build time, each at its own
// size and at twice it (NAME@2x.png, for screens of twice the density).
// A PNG of that size is decoded in a fraction of the time the SVG takes to
// be parsed and drawn, which the window would otherwise pay on every start.
//   quillane-render-pictures SOURCE_FOLDER TARGET_FOLDER PICTURE.svg...
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

bool Render(QSvgRenderer& renderer, int scale, const QString& target) {
    QImage image(renderer.defaultSize() * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return QDir().mkpath(QFileInfo(target).path()) && image.save(target, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: quillane-render-pictures SOURCE_FOLDER TARGET_FOLDER PICTURE.svg...\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QDir source(QString::fromLocal8Bit(argv[1]));
    const QDir target(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        const QString picture = QString::fromLocal8Bit(argv[i]);
        QSvgRenderer renderer(source.filePath(picture));
        const QString stem = target.filePath(picture.chopped(4));
        if (!renderer.isValid() || !Render(renderer, 1, stem + ".png") || !Render(renderer, 2, stem + "@2x.png")) {
            std::fprintf(stderr, "quillane-render-pictures: %s could not be rendered\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
