#include "PreviewArea.h"

#include "EmoticonGrid.h"
#include "FlashView.h"

#include <QPainter>

namespace quillane {
namespace {

// The notice keeps clear of the stage's border.
constexpr int kNoticeMargin = 24;

}  // namespace

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // White in the plain look; a skin that styles the preview gives its own colour.
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TPreviewArea::TPreviewArea(QWidget* parent)
    : QWidget(parent), flsPreview(new TFlashView(this)), shpImage(new TShape(this)), gifPrevew(new QLabel(this)), grdEmoticons(new TEmoticonGrid(this)),
      lblNotice(new QLabel(this)) {
    setObjectName("pnlPreview");
    flsPreview->setObjectName("flsPreview");
    shpImage->setObjectName("shpImage");
    gifPrevew->setObjectName("gifPrevew");
    gifPrevew->setAttribute(Qt::WA_TranslucentBackground);
    gifPrevew->move(32, 24);
    grdEmoticons->move(32, 24);
    shpImage->hide();
    gifPrevew->hide();
    grdEmoticons->hide();
    gifPrevew->raise();
    grdEmoticons->raise();
    lblNotice->setObjectName("lblNotice");
    // It names files from outside: never read as markup.
    lblNotice->setTextFormat(Qt::PlainText);
    lblNotice->setAlignment(Qt::AlignCenter);
    lblNotice->setWordWrap(true);
    lblNotice->hide();
    lblNotice->raise();
    Describe("Preview", "The preview of the pack chosen in the list");
    // The web view that plays movies comes with the first one; it takes the focus on a click.
    connect(flsPreview, &TFlashView::StageReady, this, [this] { Describe(accessibleName(), accessibleDescription()); });
}

void TPreviewArea::Describe(const QString& shown, const QString& detail) {
    QList<QWidget*> views = {this, flsPreview, gifPrevew, grdEmoticons};
    views += flsPreview->findChildren<QWidget*>();
    for (QWidget* view : views) {
        view->setAccessibleName(shown);
        view->setAccessibleDescription(detail);
    }
}

void TPreviewArea::ShowNotice(const QString& text) {
    lblNotice->setText(text);
    lblNotice->setVisible(!text.isEmpty());
}

void TPreviewArea::resizeEvent(QResizeEvent*) {
    flsPreview->setGeometry(rect());
    shpImage->setGeometry(rect());
    lblNotice->setGeometry(rect().adjusted(kNoticeMargin, kNoticeMargin, -kNoticeMargin, -kNoticeMargin));
}

}  // namespace quillane
