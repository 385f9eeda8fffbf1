#pragma once

#include <QByteArray>
#include <QContextMenuEvent>
#include <QImage>
#include <QString>
#include <QWidget>

class QNetworkAccessManager;
class QNetworkReply;
class QWebEngineProfile;
class QWebEngineView;

namespace quillane {

class TPlayerSchemeHandler;
class TStillStage;

// The Flash view of the preview: plays a movie given as a file path, an http
// URL or bytes read from a pack, through the Ruffle player in a web view. A
// movie that cannot be found or played shows an empty stage. The web engine
// and the player start once (StartPlayer, after the window's first paint, so
// that the program starts quickly) and stay: each movie is handed to the
// running player. Until a movie's first frame is drawn, its still picture
// stands in its place, so the stage never shows empty between two movies.
class TFlashView : public QWidget {
    Q_OBJECT
public:
    explicit TFlashView(QWidget* parent = nullptr);
    ~TFlashView() override;

    void SetMovie(const QString& movie);
    // A movie already read, named as its file is (the name is Movie()), with
    // the still picture shown until its first frame; a null still shows the
    // empty stage until then.
    void ShowMovie(const QString& name, const QByteArray& bytes, const QImage& still);
    const QString& Movie() const { return movie_; }
    void Play();
    void Stop();
    bool Playing() const { return playing_; }

    // True once the movie set last is on the stage (false while it loads and for an empty stage).
    bool MovieShown() const { return shown_; }
    // True while the still picture (or the empty stage) waits for the movie's first frame.
    bool StillShown() const;
    bool EngineStarted() const { return view_ != nullptr; }
    // Starts the web engine and the player, when they are not running yet; the
    // view asks for it itself after its first paint.
    void StartPlayer();
    // The bytes of the movie on the stage; empty for an empty stage.
    const QByteArray& MovieBytes() const { return movieBytes_; }

signals:
    // The stage has been updated for the movie set last: shown, or left empty.
    void StageReady();
    // The movie set last has drawn its first frame, in the still picture's place.
    void FirstFrameShown();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void LoadMovie();
    void StopDownload();
    void Present(const QByteArray& bytes);
    void RunOnPage(const QString& script);
    // The page's title names the movie whose first frame it has drawn.
    void PageTitleChanged(const QString& title);
    // The menu of the view's owner, as a right click or the keyboard asks for it.
    void AskForMenu(QContextMenuEvent::Reason reason, const QPoint& position);

    QString movie_;
    QByteArray movieBytes_;
    bool playing_ = false;
    bool shown_ = false;
    bool pageReady_ = false;
    bool startAsked_ = false;
    // Counts the movies handed to the player; the page names the one it has drawn.
    int movieNumber_ = 0;
    TStillStage* still_ = nullptr;
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
