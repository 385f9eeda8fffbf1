#pragma once

#include <QByteArray>
#include <QString>
#include <QWebEngineUrlSchemeHandler>

namespace quillane {

// Serves the Flash view's page: the player page, the player's own files from
// the application folder, and the one movie being shown. Nothing else of the
// disk or the network is reachable from the page.
class TPlayerSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    TPlayerSchemeHandler(QString playerFolder, QObject* parent);

    // The movie's bytes under the address the page is told; earlier addresses stop working.
    QString SetMovieBytes(QByteArray bytes);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QString playerFolder_;
    QByteArray movie_;
    int generation_ = 0;
};

// The scheme of the Flash view's pages. Registered before the application object exists.
inline constexpr const char* kPlayerScheme = "quillane-player";
inline constexpr const char* kPlayerPage = "quillane-player://player/player.html";
// The page that renders a movie frame by frame to save it as pictures.
inline constexpr const char* kRenderPage = "quillane-player://player/render.html";

}  // namespace quillane
