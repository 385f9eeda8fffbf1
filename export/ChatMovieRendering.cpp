#include "ChatMovieRendering.h"

#include "ChatExport.h"
#include "WinkGifJob.h"

#include <QDir>
#include <QTimer>

namespace quillane {

TChatMovieRendering::TChatMovieRendering(TChatExportPictures& pictures, QString playerFolder, QObject* parent)
    : QObject(parent), pictures_(pictures), playerFolder_(std::move(playerFolder)) {}

bool TChatMovieRendering::Needed(const TChatExportPictures& pictures) {
    for (const TPackPicture& picture : pictures.pictures.pictures) {
        if (!picture.movie.isEmpty()) return true;
    }
    return false;
}

void TChatMovieRendering::Start() { QTimer::singleShot(0, this, &TChatMovieRendering::RenderNext); }

void TChatMovieRendering::Cancel() {
    if (done_) return;
    // Before the job's cancel, which reports at once and would go on to the next movie.
    next_ = pictures_.pictures.pictures.size();
    if (job_) job_->Cancel();
}

void TChatMovieRendering::RenderNext() {
    std::vector<TPackPicture>& pictures = pictures_.pictures.pictures;
    while (next_ < pictures.size() && pictures[next_].movie.isEmpty()) ++next_;
    if (next_ >= pictures.size()) {
        done_ = true;
        emit Finished();
        return;
    }
    TPackPicture& picture = pictures[next_++];
    TWinkGifJob::Options options;
    options.movie = picture.movie;
    options.target = QDir(pictures_.work->path()).filePath(QString("movie%1.gif").arg(++rendered_));
    job_ = new TWinkGifJob(options, playerFolder_, this);
    connect(job_, &TWinkGifJob::Progress, this, [this, name = picture.name](int done, int total) {
        emit Progress(QString("Rendering %1: frame %2 of %3...").arg(name).arg(done).arg(total));
    });
    connect(job_, &TWinkGifJob::Finished, this, [this, &picture, target = options.target](bool saved, const QString& message) {
        if (!job_) return;
        job_->deleteLater();
        if (saved) {
            picture.source = target;
            if (job_->Cut()) {
                pictures_.notes << QString("%1: the movie runs on; its first %2 seconds were exported.").arg(picture.name).arg(kLongestMovieSeconds);
            }
        } else {
            pictures_.notes << picture.name + ": exported as its still picture. " + message;
        }
        job_ = nullptr;
        RenderNext();
    });
    job_->Start();
}

}  // namespace quillane
