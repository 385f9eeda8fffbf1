#include "StillStage.h"

#include <QPainter>

namespace quillane {

TStillStage::TStillStage(QWidget* parent) : QWidget(parent) {
    setObjectName("flsPreviewStill");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TStillStage::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void TStillStage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (picture_.isNull()) return;
    const QSize fitted = picture_.size().scaled(size(), Qt::KeepAspectRatio);
    QRect place(QPoint(), fitted);
    place.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(place, picture_);
}

}  // namespace quillane
