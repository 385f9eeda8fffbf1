#pragma once

#include <QByteArray>
#include <QContextMenuEvent>
#include <QString>
#include <QWidget>

class QNetworkAccessManager;
class QNetworkReply;
class QWebEngineProfile;
class QWebEngineView;

namespace quillane {

class TPlayerSchemeHandler;

// The Flash view of the preview: plays a movie given as a file path or an
// http URL, through the Ruffle player in a web view. A movie that cannot be
// found or played shows an empty stage. The web engine starts when the first
// movie is set, so that the program starts quickly.
class TFlashView : public QWidget {
    Q_OBJECT
public:
    explicit TFlashView(QWidget* parent = nullptr);
    ~TFlashView() override;

    void SetMovie(const QString& movie);
    const QString& Movie() const { return movie_; }
    void Play();
    void Stop();
    bool Playing() const { return playing_; }

    // True once the movie set last is on the stage (false while it loads and for an empty stage).
    bool MovieShown() const { return shown_; }
    bool EngineStarted() const { return view_ != nullptr; }
    // The bytes of the movie on the stage; empty for an empty stage.
    const QByteArray& MovieBytes() const { return movieBytes_; }

signals:
    // The stage has been updated for the movie set last: shown, or left empty.
    void StageReady();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void StartEngine();
    void LoadMovie();
    void Present(const QByteArray& bytes);
    void RunOnPage(const QString& script);
    // The menu of the view's owner, as a right click or the keyboard asks for it.
    void AskForMenu(QContextMenuEvent::Reason reason, const QPoint& position);

    QString movie_;
    QByteArray movieBytes_;
    bool playing_ = false;
    bool shown_ = false;
    bool pageReady_ = false;
    QString pendingScript_;
    QWebEngineProfile* profile_ = nullptr;
    TPlayerSchemeHandler* handler_ = nullptr;
    QWebEngineView* view_ = nullptr;
    QNetworkAccessManager* network_ = nullptr;
    QNetworkReply* download_ = nullptr;
};

// Prepares the web engine before the application object is created: the
// player's URL scheme, and the flags it needs when the program runs as root.
void PrepareFlashPlayer();

// True for the bytes of a Flash movie (plain, zlib or LZMA compressed).
bool LooksLikeFlashMovie(const QByteArray& bytes);

}  // namespace quillane
