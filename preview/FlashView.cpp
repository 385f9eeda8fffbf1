#include "FlashView.h"

#include "PlayerPage.h"
#include "PlayerSchemeHandler.h"
#include "StillStage.h"
#include "WinksGlobal.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlScheme>
#include <QWebEngineView>
#include <unistd.h>

namespace quillane {
namespace {

// The largest movie the view takes in; winks and display pictures are far smaller.
constexpr qint64 kLargestMovie = 64 * 1024 * 1024;
constexpr int kDownloadTimeOutMs = 30000;

bool IsWebAddress(const QString& movie) {
    return movie.startsWith("http://", Qt::CaseInsensitive) || movie.startsWith("https://", Qt::CaseInsensitive);
}

}  // namespace

bool LooksLikeFlashMovie(const QByteArray& bytes) {
    return bytes.size() > 8 && (bytes.startsWith("FWS") || bytes.startsWith("CWS") || bytes.startsWith("ZWS"));
}

void PrepareFlashPlayer() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QWebEngineUrlScheme scheme(kPlayerScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
    // The web engine's sandbox refuses to run for root, and these machines
    // often have no usable GPU; ordinary users keep both.
    if (geteuid() == 0) {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        flags += " --no-sandbox --disable-gpu";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

TFlashView::TFlashView(QWidget* parent) : QWidget(parent), still_(new TStillStage(this)) {
    setFocusPolicy(Qt::StrongFocus);
    still_->hide();
    // The web view swallows the keyboard's context menu event and its page
    // never asks for a menu from the keyboard: these keys ask the view's owner.
    for (const QKeySequence& key : {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
        auto* menuKey = new QShortcut(key, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(menuKey, &QShortcut::activated, this, [this] { AskForMenu(QContextMenuEvent::Keyboard, rect().center()); });
    }
}

TFlashView::~TFlashView() {
    // The page must go before the profile it was made with.
    delete view_;
}

void TFlashView::SetMovie(const QString& movie) {
    movie_ = movie;
    shown_ = false;
    StartPlayer();
    LoadMovie();
}

void TFlashView::ShowMovie(const QString& name, const QByteArray& bytes, const QImage& still) {
    movie_ = name;
    shown_ = false;
    StartPlayer();
    StopDownload();
    if (!LooksLikeFlashMovie(bytes)) return Present({});
    still_->SetPicture(still);
    still_->setGeometry(rect());
    still_->show();
    still_->raise();
    Present(bytes);
}

bool TFlashView::StillShown() const { return !still_->isHidden(); }

void TFlashView::Play() {
    playing_ = true;
    if (view_) RunOnPage("setPlaying(true);");
}

void TFlashView::Stop() {
    playing_ = false;
    if (view_) RunOnPage("setPlaying(false);");
}

void TFlashView::StartPlayer() {
    if (view_) return;
    profile_ = new QWebEngineProfile(this);
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    handler_ = new TPlayerSchemeHandler(QString::fromStdString(Global().AppPath) + "ruffle/", this);
    profile_->installUrlSchemeHandler(kPlayerScheme, handler_);

    view_ = new QWebEngineView(this);
    view_->setObjectName("flsPreviewStage");
    // The page's own menu is never offered; a right click (which the player
    // page lets through) asks the view's owner instead.
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { AskForMenu(QContextMenuEvent::Mouse, view_->mapTo(this, position)); });
    // A pack dropped on the movie goes to the main window, not into the page.
    view_->setAcceptDrops(false);
    auto* page = new TPlayerPage(profile_, view_);
    page->setBackgroundColor(palette().color(QPalette::Base));
    QWebEngineSettings* settings = page->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    view_->setPage(page);
    connect(page, &QWebEnginePage::titleChanged, this, &TFlashView::PageTitleChanged);
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool) {
        pageReady_ = true;
        if (!pendingScript_.isEmpty()) view_->page()->runJavaScript(std::exchange(pendingScript_, QString()));
    });
    view_->setGeometry(rect());
    view_->show();
    still_->raise();
    const bool withoutGpu = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--disable-gpu");
    view_->load(QUrl(QString(kPlayerPage) + (withoutGpu ? "?gpu=off" : "")));
}

void TFlashView::PageTitleChanged(const QString& title) {
    if (title != QString("frame %1").arg(movieNumber_) || still_->isHidden()) return;
    still_->hide();
    emit FirstFrameShown();
}

void TFlashView::AskForMenu(QContextMenuEvent::Reason reason, const QPoint& position) {
    // Unanswered here, the event goes on to the parents.
    QContextMenuEvent event(reason, position, mapToGlobal(position));
    QCoreApplication::sendEvent(this, &event);
}

void TFlashView::StopDownload() {
    if (!download_) return;
    download_->disconnect(this);
    download_->abort();
    download_->deleteLater();
    download_ = nullptr;
}

void TFlashView::LoadMovie() {
    StopDownload();
    if (!IsWebAddress(movie_)) {
        QFile file(movie_);
        const bool readable = file.open(QIODevice::ReadOnly) && file.size() <= kLargestMovie;
        Present(readable ? file.readAll() : QByteArray());
        return;
    }
    if (!network_) network_ = new QNetworkAccessManager(this);
    QNetworkRequest request{QUrl(movie_)};
    request.setTransferTimeout(kDownloadTimeOutMs);
    download_ = network_->get(request);
    connect(download_, &QNetworkReply::finished, this, [this, reply = download_] {
        download_ = nullptr;
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool good = reply->error() == QNetworkReply::NoError && status >= 200 && status <= 299;
        Present(good ? reply->read(kLargestMovie) : QByteArray());
    });
}

void TFlashView::Present(const QByteArray& bytes) {
    QString script;
    ++movieNumber_;
    if (LooksLikeFlashMovie(bytes)) {
        script = QString("setPlaying(%1); showMovie('%2', %3);")
                     .arg(playing_ ? "true" : "false", handler_->SetMovieBytes(bytes))
                     .arg(movieNumber_);
        shown_ = true;
        movieBytes_ = bytes;
    } else {
        movieBytes_.clear();
        script = "clearStage();";
        shown_ = false;
        still_->hide();
    }
    RunOnPage(script);
    emit StageReady();
}

void TFlashView::RunOnPage(const QString& script) {
    if (pageReady_) {
        view_->page()->runJavaScript(script);
    } else {
        pendingScript_ += script;
    }
}

void TFlashView::resizeEvent(QResizeEvent*) {
    if (view_) view_->setGeometry(rect());
    still_->setGeometry(rect());
}

void TFlashView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    // The player starts once the window is on the screen: start-up never waits
    // for it, and the first movie does not either.
    if (!view_ && !startAsked_) {
        startAsked_ = true;
        QTimer::singleShot(0, this, &TFlashView::StartPlayer);
    }
}

// The stage takes the colour of the skin, white in the plain look.
void TFlashView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && view_) view_->page()->setBackgroundColor(palette().color(QPalette::Base));
}

}  // namespace quillane
