#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QWebEngineProfile;
class QWebEnginePage;

namespace quillane {

// A movie that runs on is rendered up to this long.
inline constexpr double kLongestMovieSeconds = 20.0;

class TBackgroundJob;
class TGifWriter;
class TPlayerSchemeHandler;

// Saves a Flash movie as an animated GIF: the movie is rendered frame by
// frame by the same player the preview uses, on a page of its own, one
// picture per frame of the movie at its frame rate, and written by
// TGifWriter. Driven by the event loop one frame at a time, with each frame's
// colours reduced off the window's thread, so the window stays responsive;
// it reports progress and one result, and can be cancelled. The GIF plays
// once when the movie stops itself, and loops otherwise, as the movie plays.
class TWinkGifJob : public QObject {
    Q_OBJECT
public:
    struct Options {
        QByteArray movie;
        QString target;
        // The pictures' width in pixels; 0 takes the stage's width times `scale`.
        int width = 0;
        double scale = 1.0;
        // A movie that runs on longer than this is cut after it.
        double longestSeconds = kLongestMovieSeconds;
    };

    TWinkGifJob(Options options, QString playerFolder, QObject* parent = nullptr);
    ~TWinkGifJob() override;

    void Start();
    // Stops the work; nothing is written, and Finished reports the cancel.
    void Cancel();

    // The movie's stage and rate as its header gives them, known once it has loaded.
    double FrameRate() const { return frameRate_; }
    int FramesRendered() const { return rendered_; }
    int FramesStored() const;
    bool Cut() const { return cut_; }

signals:
    void Progress(int done, int total);
    // Each frame as the player drew it: width x height pixels of 4 bytes (red, green, blue, alpha).
    void FrameRendered(const QByteArray& rgba, int width, int height);
    // Once: saved or not, and the message for the user.
    void Finished(bool saved, const QString& message);

private:
    void PollLoaded();
    void Resize();
    void StepFrame();
    void FrameStored();
    void Fail(const QString& message);
    void Complete();
    void Report();
    void Run(const QString& script, std::function<void(const QVariant&)> then);
    // Runs `work` on the writer off the window's thread, then `then` here,
    // unless the work failed or the job has ended meanwhile.
    void Encode(std::function<void()> work, std::function<void()> then);

    Options options_;
    QString playerFolder_;
    QWebEngineProfile* profile_ = nullptr;
    TPlayerSchemeHandler* handler_ = nullptr;
    QWebEnginePage* page_ = nullptr;
    // The writer is the encoding job's while one runs, the window thread's between them.
    std::unique_ptr<TGifWriter> writer_;
    TBackgroundJob* encoding_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    double frameRate_ = 0;
    int total_ = 0;
    int rendered_ = 0;
    int polls_ = 0;
    bool cut_ = false;
    // The movie stops itself and holds the frame it stops on.
    bool stops_ = false;
    bool saved_ = false;
    bool done_ = false;
};

}  // namespace quillane
