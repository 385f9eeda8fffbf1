#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QMovie;
class QObject;

namespace quillane {

// Pictures from packs and from folders the user browses are hostile until
// read: they are decoded only as GIF, PNG, JPEG or BMP, known by their first
// bytes, and only by the decoder of that format. Never SVG or another format
// that can reach for other files, whatever the name says.

// "gif", "png", "jpeg" or "bmp" by the bytes a picture begins with; empty for anything else.
QByteArray PictureFormat(const QByteArray& head);

// The picture (its first frame) in the bytes; a null image when they are no
// such picture, with why in `failure` when it is given.
QImage ReadPicture(const QByteArray& bytes, QString* failure = nullptr);

// The bytes of a picture file: a plain file only, and no more than any
// picture of a pack can hold (one byte more tells that it holds more).
QByteArray ReadPictureBytes(const QString& path);

// The picture in the file, read as ReadPicture reads bytes.
QImage ReadPictureFile(const QString& path, QString* failure = nullptr);

// A movie of the picture file, for a label to play: an animated GIF moves, any
// other picture stands still. With `fitWithin`, a larger picture is shown
// scaled down to fit a square of that many pixels, every frame of it. Nothing
// (nullptr) when the file is no such picture. The movie holds the file's bytes
// and is owned by `parent`.
QMovie* OpenPictureMovie(const QString& path, QObject* parent, int fitWithin = 0);
// The same for a picture's bytes, as read from inside a cabinet.
QMovie* OpenPictureMovieOf(const QByteArray& bytes, QObject* parent, int fitWithin = 0);

}  // namespace quillane
