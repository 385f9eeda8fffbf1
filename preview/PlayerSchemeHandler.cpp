#include "PlayerSchemeHandler.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <QWebEngineUrlRequestJob>

namespace quillane {
namespace {

QByteArray ContentTypeOf(const QString& name) {
    if (name.endsWith(".js")) return "text/javascript";
    if (name.endsWith(".wasm")) return "application/wasm";
    if (name.endsWith(".html")) return "text/html";
    if (name.endsWith(".map")) return "application/json";
    return "application/octet-stream";
}

void Reply(QWebEngineUrlRequestJob* job, const QByteArray& type, QByteArray bytes) {
    auto* buffer = new QBuffer(job);
    buffer->setData(std::move(bytes));
    job->reply(type, buffer);
}

}  // namespace

TPlayerSchemeHandler::TPlayerSchemeHandler(QString playerFolder, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), playerFolder_(std::move(playerFolder)) {}

QString TPlayerSchemeHandler::SetMovieBytes(QByteArray bytes) {
    movie_ = std::move(bytes);
    return QString("%1://player/movie/%2.swf").arg(kPlayerScheme).arg(++generation_);
}

void TPlayerSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QString path = job->requestUrl().path();
    if (path == "/player.html" || path == "/render.html" || path == "/fetch.js" || path == "/config.js") {
        QFile page(":/player" + path);
        if (page.open(QIODevice::ReadOnly)) return Reply(job, ContentTypeOf(path), page.readAll());
    } else if (path == QString("/movie/%1.swf").arg(generation_)) {
        return Reply(job, "application/x-shockwave-flash", movie_);
    } else if (path.startsWith("/ruffle/")) {
        // Only plain file names of the player's folder: no way up or out.
        const QString name = path.mid(8);
        static const QRegularExpression plainName("^[A-Za-z0-9_.-]+$");
        if (plainName.match(name).hasMatch() && !name.startsWith('.')) {
            QFile file(playerFolder_ + name);
            if (file.open(QIODevice::ReadOnly)) return Reply(job, ContentTypeOf(name), file.readAll());
        }
    }
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}

}  // namespace quillane
