#pragma once

#include <QObject>
#include <QString>
#include <cstddef>

namespace quillane {

struct TChatExportPictures;

class TWinkGifJob;

// Renders the movies among an export's pictures (winks, dynamic display
// pictures) frame by frame into GIFs in the export's work folder, one after
// the other, by the preview's player as Save as Animated GIF does, and makes
// each picture's source its GIF. A movie the player cannot render keeps its
// still picture, and the export's notes say why. Driven by the event loop:
// the window stays responsive, and a command waits for Finished.
class TChatMovieRendering : public QObject {
    Q_OBJECT
public:
    // `pictures` must outlive the rendering. A movie that runs on is cut after
    // kLongestMovieSeconds; the export then cuts or speeds it up to what the program takes.
    TChatMovieRendering(TChatExportPictures& pictures, QString playerFolder, QObject* parent = nullptr);

    // Whether the pictures hold a movie to render.
    static bool Needed(const TChatExportPictures& pictures);

    void Start();
    // Stops the rendering; Finished still comes, once.
    void Cancel();

signals:
    // Frames of the movie being rendered, and which movie of how many.
    void Progress(const QString& text);
    void Finished();

private:
    void RenderNext();

    TChatExportPictures& pictures_;
    QString playerFolder_;
    std::size_t next_ = 0;
    int rendered_ = 0;
    TWinkGifJob* job_ = nullptr;
    bool done_ = false;
};

}  // namespace quillane
