#include "WinkGifJob.h"

#include "BackgroundJob.h"
#include "FlashView.h"
#include "GifWriter.h"
#include "PlayerPage.h"
#include "PlayerSchemeHandler.h"
#include "SwfTimeline.h"

#include <QFileInfo>
#include <QTimer>
#include <QVariantMap>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <algorithm>
#include <cmath>

namespace quillane {
namespace {

constexpr int kPollMs = 20;
// How long the player may take to load the movie.
constexpr int kLoadPolls = 30000 / kPollMs;
constexpr int kLargestSide = 2000;
// The GIF is built in memory before it replaces the file: beyond this it is given up.
constexpr std::size_t kLargestGif = std::size_t{512} << 20;

}  // namespace

TWinkGifJob::TWinkGifJob(Options options, QString playerFolder, QObject* parent)
    : QObject(parent), options_(std::move(options)), playerFolder_(std::move(playerFolder)) {}

TWinkGifJob::~TWinkGifJob() {
    // Scripts still running answer into nothing; the page must go before the profile it was made with.
    done_ = true;
    delete page_;
    // Waits for a frame being encoded, which uses the writer.
    delete encoding_;
}

int TWinkGifJob::FramesStored() const { return writer_ ? writer_->FramesStored() : 0; }

void TWinkGifJob::Start() {
    if (!LooksLikeFlashMovie(options_.movie)) {
        // Reported from the event loop, as every other result is.
        QTimer::singleShot(0, this, [this] { Fail("This is not a Flash movie."); });
        return;
    }
    profile_ = new QWebEngineProfile(this);
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    handler_ = new TPlayerSchemeHandler(playerFolder_, this);
    profile_->installUrlSchemeHandler(kPlayerScheme, handler_);
    // A page without a view: the player draws into canvases of the page, which
    // each step reads back, so no window comes up to take the focus.
    page_ = new TPlayerPage(profile_);
    page_->setBackgroundColor(Qt::white);
    // The movie runs faster than its time: its sounds would only be noise.
    page_->setAudioMuted(true);
    QWebEngineSettings* settings = page_->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    const QString url = handler_->SetMovieBytes(options_.movie);
    connect(page_, &QWebEnginePage::loadFinished, this, [this, url](bool loaded) {
        if (done_) return;
        if (!loaded) return Fail("The player could not be started.");
        Run(QString("loadMovie('%1');").arg(url), [this](const QVariant&) { PollLoaded(); });
    });
    page_->load(QUrl(kRenderPage));
}

void TWinkGifJob::Cancel() {
    if (done_) return;
    done_ = true;
    emit Finished(false, "Saving was cancelled; nothing was written.");
}

void TWinkGifJob::Run(const QString& script, std::function<void(const QVariant&)> then) {
    page_->runJavaScript(script, [this, then = std::move(then)](const QVariant& result) {
        if (!done_) then(result);
    });
}

void TWinkGifJob::PollLoaded() {
    Run("status();", [this](const QVariant& result) {
        const QVariantMap status = result.toMap();
        const QString state = status.value("state").toString();
        if (state == "failed") return Fail("The player could not play this movie.");
        if (state != "loaded") {
            if (++polls_ > kLoadPolls) return Fail("The player took too long to load this movie.");
            QTimer::singleShot(kPollMs, this, &TWinkGifJob::PollLoaded);
            return;
        }
        const double stageWidth = status.value("width").toDouble();
        const double stageHeight = status.value("height").toDouble();
        frameRate_ = status.value("frameRate").toDouble();
        const int frames = status.value("frames").toInt();
        if (stageWidth < 1 || stageHeight < 1 || !(frameRate_ > 0)) return Fail("The movie gives no stage size or frame rate.");
        width_ = options_.width > 0 ? options_.width : static_cast<int>(std::lround(stageWidth * options_.scale));
        height_ = static_cast<int>(std::lround(stageHeight * width_ / stageWidth));
        if (width_ < 1 || height_ < 1 || width_ > kLargestSide || height_ > kLargestSide) {
            return Fail(QString("Pictures of %1 x %2 pixels are not made; choose a size up to %3 pixels a side.")
                            .arg(width_).arg(height_).arg(kLargestSide));
        }
        // A movie that stops itself is saved up to the frame it stops on; one
        // of a single frame that does not stop animates in its scripts or
        // clips, and runs until cut. A very slow movie still gives one frame.
        const std::optional<int> stopsOn = FrameTheMovieStopsOn(std::string_view(options_.movie.constData(),
                                                                                 static_cast<std::size_t>(options_.movie.size())));
        stops_ = stopsOn.has_value();
        const int length = stopsOn ? std::min(*stopsOn, std::max(frames, 1)) : frames;
        const int bound = std::max(1, static_cast<int>(std::floor(options_.longestSeconds * frameRate_)));
        cut_ = (!stops_ && frames <= 1) || length > bound;
        total_ = cut_ ? bound : length;
        try {
            writer_ = std::make_unique<TGifWriter>(width_, height_);
        } catch (const EGifWriteError& error) {
            return Fail(QString::fromStdString(error.what()));
        }
        Resize();
    });
}

void TWinkGifJob::Resize() {
    // The player takes its element's size on its next frame callback: one step
    // that moves no time lets it, before the first frame is taken.
    Run(QString("setSize(%1, %2); step(0); true;").arg(width_).arg(height_), [this](const QVariant&) {
        emit Progress(0, total_);
        StepFrame();
    });
}

void TWinkGifJob::StepFrame() {
    const double frameMs = 1000.0 / frameRate_;
    // Each step moves one frame on; the player enters the first frame on the first.
    // A hair over one frame, so that rounding in the player never drops a step.
    Run(QString("step(%1);").arg(frameMs + 0.001, 0, 'f', 4), [this, frameMs](const QVariant& result) {
        const QByteArray rgba = QByteArray::fromBase64(result.toString().toLatin1());
        if (rgba.size() != static_cast<qsizetype>(width_) * height_ * 4) return Fail("The player gave no picture of the movie.");
        emit FrameRendered(rgba, width_, height_);
        Encode([this, rgba, frameMs] { writer_->AddFrame(reinterpret_cast<const std::uint8_t*>(rgba.constData()), frameMs); },
               [this] { FrameStored(); });
    });
}

void TWinkGifJob::FrameStored() {
    if (writer_->Bytes().size() > kLargestGif) {
        return Fail(QString("The GIF would grow beyond %1 MiB; nothing was written. Choose a smaller size.")
                        .arg(kLargestGif >> 20));
    }
    emit Progress(++rendered_, total_);
    if (rendered_ >= total_) return Complete();
    StepFrame();
}

void TWinkGifJob::Encode(std::function<void()> work, std::function<void()> then) {
    auto failure = std::make_shared<QString>();
    delete encoding_;
    encoding_ = new TBackgroundJob(
        [work = std::move(work), failure] {
            try {
                work();
            } catch (const std::exception& error) {
                *failure = QString::fromStdString(error.what());
            }
        },
        this);
    connect(encoding_, &TBackgroundJob::Finished, this, [this, failure, then = std::move(then)] {
        if (done_) return;
        if (!failure->isEmpty()) return Fail(*failure);
        // The next step may start another encoding, which takes this one's place.
        QTimer::singleShot(0, this, then);
    });
    encoding_->Start();
}

void TWinkGifJob::Complete() {
    // A movie cut short loops as it was running; one that stops itself plays once.
    const bool loop = cut_ || !stops_;
    Encode([this, loop] { saved_ = writer_->Finish(options_.target.toStdString(), loop); }, [this] { Report(); });
}

void TWinkGifJob::Report() {
    done_ = true;
    const bool still = writer_->FramesStored() <= 1;
    const QString name = QFileInfo(options_.target).fileName();
    if (!saved_) {
        emit Finished(false, QString("\"%1\" could not be written.").arg(name));
        return;
    }
    QString message = QString("Saved \"%1\": %2 %3 of %4 x %5 pixels.")
                          .arg(name).arg(writer_->FramesStored()).arg(still ? "frame" : "frames").arg(width_).arg(height_);
    if (!cut_ && stops_ && !still) message += " It plays once and holds its last frame, as the movie does.";
    if (cut_ && !still) {
        message += QString(" The movie runs on past %1 seconds, so only its first %1 seconds were saved.")
                       .arg(options_.longestSeconds);
    }
    emit Finished(true, message);
}

void TWinkGifJob::Fail(const QString& message) {
    if (done_) return;
    done_ = true;
    emit Finished(false, message);
}

}  // namespace quillane
