// quillane-thumbnailer: a PNG thumbnail of a pack file, by the freedesktop
// thumbnailer convention.
//   quillane-thumbnailer [-s SIZE] INPUT OUTPUT
#include "PackPicture.h"
#include "PictureReading.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDefaultSize = 128;
constexpr int kLargestSize = 2048;
// A picture of 2048 by 2048 pixels at four bytes each; no pack holds a larger one.
constexpr int kDecodingLimitMiB = 16;

int Usage(FILE* out, int code) {
    std::fputs("Usage: quillane-thumbnailer [-s SIZE] INPUT OUTPUT\n"
               "Writes OUTPUT, a PNG picture at most SIZE pixels wide and high (default 128),\n"
               "of the pack file INPUT (.QZK, .QZC, .CAB or .mco): its first display picture\n"
               "or emoticon, the preview picture of a wink, or else the pack icon.\n"
               "A file that is not a readable content pack gets no thumbnail (exit status 1).\n",
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

// The path a file manager gave: a path, or a file URL, whose percent-escapes
// stand for bytes. Paths are bytes on this system, whatever their encoding.
std::string LocalPath(const std::string& argument) {
    const std::string scheme = "file://";
    if (argument.compare(0, scheme.size(), scheme) != 0) return argument;
    const std::size_t path = argument.find('/', scheme.size());
    if (path == std::string::npos) return {};
    return QByteArray::fromPercentEncoding(QByteArray::fromStdString(argument.substr(path))).toStdString();
}

// Writes the PNG to the path as given, bytes and all; a failed write leaves no file.
bool WritePng(const QImage& thumbnail, const std::string& path) {
    quillane::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666));
    QFile file;
    bool written = fd && file.open(fd.get(), QIODevice::WriteOnly) && thumbnail.save(&file, "PNG") && file.flush();
    file.close();
    written = fd.Close() && written;
    if (!written) ::unlink(path.c_str());
    return written;
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

    // Decoding a picture takes at most this much memory, within the thumbnailer's bound.
    QImageReader::setAllocationLimit(kDecodingLimitMiB);
    const std::string input = LocalPath(arguments[0]);
    const quillane::TPackPicture found = quillane::FindPackPicture(input);
    QImage thumbnail;
    if (found.kind == quillane::TPackPicture::NoPicture) {
        thumbnail = PackIcon(size);
    } else if (found.kind == quillane::TPackPicture::Picture) {
        const QImage picture = quillane::ReadPicture(QByteArray::fromStdString(found.bytes));
        if (!picture.isNull()) thumbnail = Fitted(picture, size);
    }
    if (thumbnail.isNull()) {
        std::fprintf(stderr, "quillane-thumbnailer: %s is not a readable content pack\n", arguments[0].c_str());
        return 1;
    }
    if (!WritePng(thumbnail, arguments[1])) {
        std::fprintf(stderr, "quillane-thumbnailer: cannot write %s\n", arguments[1].c_str());
        return 1;
    }
    return 0;
}
