#include "PackPreview.h"

#include "PackUnpacking.h"
#include "PictureReading.h"

#include <QFile>

namespace quillane {
namespace {

QImage Decoded(const std::string& picture) {
    return picture.empty() ? QImage() : ReadPicture(QByteArray::fromStdString(picture));
}

}  // namespace

std::size_t TPackPreview::Bytes() const {
    return sizeof(*this) + contents.Bytes() + static_cast<std::size_t>(still.sizeInBytes());
}

std::shared_ptr<const TPackPreview> PreparePackPreview(const std::string& packPath) {
    auto preview = std::make_shared<TPackPreview>();
    preview->contents = ReadPreviewContents(packPath);
    preview->still = Decoded(preview->contents.picture);
    return preview;
}

std::shared_ptr<const TPackPreview> PrepareMoviePreview(const std::string& moviePath, const std::string& packPath) {
    auto preview = std::make_shared<TPackPreview>();
    QFile file(QString::fromStdString(moviePath));
    if (file.open(QIODevice::ReadOnly) && file.size() <= static_cast<qint64>(kLargestUnpackedPack)) {
        preview->contents.kind = TPreviewContents::Movie;
        preview->contents.movieName = moviePath;
        preview->contents.movie = file.readAll().toStdString();
        if (!packPath.empty()) preview->contents.picture = StillPictureOf(packPath);
    }
    preview->still = Decoded(preview->contents.picture);
    return preview;
}

}  // namespace quillane
