#pragma once

#include <QString>
#include <QWidget>

namespace quillane {

// The Flash view of the preview: plays a movie given as a file path or an
// http URL. A movie that cannot be found or played shows an empty stage.
class TFlashView : public QWidget {
    Q_OBJECT
public:
    explicit TFlashView(QWidget* parent = nullptr);

    void SetMovie(const QString& movie);
    const QString& Movie() const { return movie_; }
    void Play();
    void Stop();
    bool Playing() const { return playing_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString movie_;
    bool playing_ = false;
};

}  // namespace quillane
