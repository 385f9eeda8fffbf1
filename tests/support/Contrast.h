#pragma once

#include <QColor>
#include <QImage>
#include <QTreeView>

#include <algorithm>
#include <cmath>

namespace quillane::testing {

// The contrast of two colours as readers of text feel it (the WCAG ratio):
// 1 for the same colour, 21 for black on white.
inline double ContrastRatio(const QColor& first, const QColor& second) {
    const auto luminance = [](const QColor& colour) {
        const auto channel = [](double value) {
            return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
    };
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// How well a row's text in the column stands out from the row's own
// background, as the view draws them: the background is read at the row's
// far end, the text is the pixel of the cell most unlike it.
inline double RowTextContrast(QTreeView* view, const QModelIndex& cell) {
    const QImage shot = view->viewport()->grab().toImage();
    const QRect rect = view->visualRect(cell).intersected(shot.rect());
    const QColor background = shot.pixelColor(shot.width() - 3, rect.center().y());
    double best = 1;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) best = std::max(best, ContrastRatio(shot.pixelColor(x, y), background));
    }
    return best;
}

}  // namespace quillane::testing
