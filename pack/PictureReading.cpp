#include "PictureReading.h"

#include "PictureFiles.h"
#include "UniqueFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMovie>

namespace quillane {
namespace {

// No picture of a pack comes near this; a file that claims more is no picture of one.
constexpr qint64 kLargestPictureFile = 16 << 20;

}  // namespace

QByteArray ReadPictureBytes(const QString& path) {
    // Only a plain file: a named pipe or a device would be waited on for ever.
    UniqueFd fd = OpenRegularFile(QFile::encodeName(path).toStdString());
    QFile file;
    if (!fd || !file.open(fd.get(), QIODevice::ReadOnly | QIODevice::Unbuffered)) return {};
    return file.read(kLargestPictureFile + 1);
}

QByteArray PictureFormat(const QByteArray& head) {
    const std::string_view format = PictureFormatOf(std::string_view(head.constData(), static_cast<size_t>(head.size())));
    return QByteArray(format.data(), static_cast<qsizetype>(format.size()));
}

QImage ReadPicture(const QByteArray& bytes, QString* failure) {
    const auto fail = [failure](const QString& why) {
        if (failure) *failure = why;
        return QImage();
    };
    const QByteArray format = PictureFormat(bytes);
    if (format.isEmpty()) return fail("The file is not a JPEG, PNG, BMP or GIF picture.");
    if (bytes.size() > kLargestPictureFile) return fail("The picture is larger than any a pack can hold.");
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    QImage picture = reader.read();
    if (picture.isNull()) return fail(reader.errorString() + ".");
    return picture;
}

QImage ReadPictureFile(const QString& path, QString* failure) {
    const QByteArray bytes = ReadPictureBytes(path);
    if (bytes.isEmpty() && failure) {
        *failure = "The file cannot be read.";
        return {};
    }
    return ReadPicture(bytes, failure);
}

QMovie* OpenPictureMovie(const QString& path, QObject* parent, int fitWithin) {
    return OpenPictureMovieOf(ReadPictureBytes(path), parent, fitWithin);
}

QMovie* OpenPictureMovieOf(const QByteArray& bytes, QObject* parent, int fitWithin) {
    const QByteArray format = PictureFormat(bytes);
    if (format.isEmpty() || bytes.size() > kLargestPictureFile) return nullptr;
    auto* movie = new QMovie(parent);
    auto* buffer = new QBuffer(movie);
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    if (fitWithin > 0) {
        // The size from the picture's header, before any frame is drawn at full size.
        QImageReader header(buffer, format);
        header.setAutoDetectImageFormat(false);
        const QSize size = header.size();
        if (size.width() > fitWithin || size.height() > fitWithin) {
            movie->setScaledSize(size.scaled(fitWithin, fitWithin, Qt::KeepAspectRatio));
        }
        buffer->seek(0);
    }
    movie->setFormat(format);
    movie->setDevice(buffer);
    if (!movie->isValid()) {
        delete movie;
        return nullptr;
    }
    return movie;
}

}  // namespace quillane
