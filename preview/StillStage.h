#pragma once

#include <QImage>
#include <QWidget>

namespace quillane {

// The stage as it looks before the movie's first frame: the still picture of
// the movie, scaled to fit the stage as the player fits the movie, on the
// stage's colour. Without a picture it is the empty stage.
class TStillStage : public QWidget {
    Q_OBJECT
public:
    explicit TStillStage(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

}  // namespace quillane
