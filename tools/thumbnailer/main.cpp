// quillane-thumbnailer: a PNG thumbnail of a pack file, by the freedesktop
// thumbnailer convention.
//   quillane-thumbnailer [-s SIZE] INPUT OUTPUT
#include "PackPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultSize = 128;
constexpr int kLargestSize = 2048;

int Usage(FILE* out, int code) {
    std::fputs("Usage: quillane-thumbnailer [-s SIZE] INPUT OUTPUT\n"
               "Writes OUTPUT, a PNG picture at most SIZE pixels wide and high (default 128),\n"
               "of the pack file INPUT (.QZK, .QZC, .CAB or .mco): its first display picture\n"
               "or emoticon, the preview picture of a wink, or else the pack icon.\n"
               "A .CAB file that is no content pack gets no thumbnail (exit status 1).\n",
               out);
    return code;
}

// The pack icon, drawn at the size.
QImage PackIcon(int size) {
    QSvgRenderer renderer(QStringLiteral(":/thumbnailer/pack.svg"));
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image;
}

// The picture, made to fit the size: a larger one smoothly shrunk, a small
// one (an emoticon of 19 pixels) grown by a whole factor, its pixels kept sharp.
QImage Fitted(const QImage& picture, int size) {
    const int longest = std::max(picture.width(), picture.height());
    if (longest > size) return picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const int factor = size / longest;
    if (factor < 2) return picture;
    return picture.scaled(picture.width() * factor, picture.height() * factor, Qt::IgnoreAspectRatio,
                          Qt::FastTransformation);
}

QImage Decode(const std::string& bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    // The first frame of an animated picture.
    return reader.read();
}

}  // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && arguments[0] == "--help") return Usage(stdout, 0);
    if (arguments.size() == 1 && arguments[0] == "--version") {
        std::printf("quillane-thumbnailer %s\n", QUILLANE_VERSION);
        return 0;
    }
    int size = kDefaultSize;
    if (arguments.size() == 4 && arguments[0] == "-s") {
        char* end = nullptr;
        const long value = std::strtol(arguments[1].c_str(), &end, 10);
        if (arguments[1].empty() || *end != '\0' || value < 1) return Usage(stderr, 2);
        size = static_cast<int>(std::min<long>(value, kLargestSize));
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    if (arguments.size() != 2) return Usage(stderr, 2);

    // A file manager may hand over a file URL.
    QString input = QString::fromStdString(arguments[0]);
    if (input.startsWith(QLatin1String("file://"))) input = QUrl(input).toLocalFile();
    const QString output = QString::fromStdString(arguments[1]);

    const quillane::TPackPicture found = quillane::FindPackPicture(input.toStdString());
    const bool cabinetName = input.endsWith(QLatin1String(".cab"), Qt::CaseInsensitive);
    if (cabinetName && (found.kind == quillane::TPackPicture::NotAPack ||
                        found.kind == quillane::TPackPicture::NotACabinet)) {
        std::fprintf(stderr, "quillane-thumbnailer: %s is no content pack\n", arguments[0].c_str());
        return 1;
    }
    QImage picture;
    if (found.kind == quillane::TPackPicture::Picture) picture = Decode(found.bytes);
    const QImage thumbnail = picture.isNull() ? PackIcon(size) : Fitted(picture, size);
    if (!thumbnail.save(output, "PNG")) {
        std::fprintf(stderr, "quillane-thumbnailer: cannot write %s\n", arguments[1].c_str());
        QFile::remove(output);
        return 1;
    }
    return 0;
}
