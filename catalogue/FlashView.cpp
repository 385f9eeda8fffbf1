#include "FlashView.h"

#include <QPainter>

namespace quillane {

TFlashView::TFlashView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void TFlashView::SetMovie(const QString& movie) {
    movie_ = movie;
    playing_ = false;
    update();
}

void TFlashView::Play() {
    playing_ = true;
}

void TFlashView::Stop() {
    playing_ = false;
}

void TFlashView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

}  // namespace quillane
