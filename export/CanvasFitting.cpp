#include "CanvasFitting.h"

#include <QPainter>
#include <algorithm>

namespace quillane {

TCanvasFrames FitOnCanvas(const std::vector<QImage>& frames, int side, int margin) {
    TCanvasFrames fitted;
    if (side <= 0 || frames.empty()) {
        fitted.frames = frames;
        return fitted;
    }
    const QSize size = frames.front().size();
    const int longest = std::max(size.width(), size.height());
    const int art = side - 2 * margin;
    QSize scaled = size;
    Qt::TransformationMode mode = Qt::FastTransformation;
    if (longest > art) {
        scaled = size.scaled(art, art, Qt::KeepAspectRatio);
        mode = Qt::SmoothTransformation;
        fitted.change = QString("scaled down from %1 x %2").arg(size.width()).arg(size.height());
    } else if (const int factor = art / longest; factor > 1) {
        scaled = size * factor;
        fitted.change = QString("scaled %1x").arg(factor);
    }
    const QPoint corner((side - scaled.width()) / 2, (side - scaled.height()) / 2);
    for (const QImage& frame : frames) {
        QImage canvas(side, side, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(corner, scaled == size ? frame : frame.scaled(scaled, Qt::IgnoreAspectRatio, mode));
        painter.end();
        fitted.frames.push_back(std::move(canvas));
    }
    return fitted;
}

}  // namespace quillane
