#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QTreeView>
#include <QWidget>

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

// The colours of a control's caption as drawn: the caption's pixels are those
// that change when it is blanked (spaces keep the layout), its colour the one
// of them most unlike the background beneath it, which the blank picture shows.
struct CaptionLook {
    QColor text;
    QColor background;
    double contrast = 1;
};

template <typename Control>
inline CaptionLook CaptionLookOf(Control* control) {
    // Taken from the window, so that what is behind the control (a toolbar's gradient) is drawn too.
    QWidget* window = control->window();
    const QRect place(control->mapTo(window, QPoint()), control->size());
    const QString caption = control->text();
    const QImage drawn = window->grab(place).toImage();
    control->setText(QString(caption.size(), ' '));
    const QImage blank = window->grab(place).toImage();
    control->setText(caption);
    CaptionLook look;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor text = drawn.pixelColor(x, y);
            const QColor background = blank.pixelColor(x, y);
            const double contrast = ContrastRatio(text, background);
            if (text != background && contrast > look.contrast) look = {text, background, contrast};
        }
    }
    return look;
}

// What every skin keeps to: text at least 4.5:1 against its background (the
// WCAG's level for body text). A disabled control's caption stays readable, at
// least 3:1, yet looks dimmer than an enabled one's at a glance: at most two
// thirds of its contrast.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kDisabledTextContrast = 3.0;
inline constexpr double kDisabledShareOfEnabled = 2.0 / 3.0;

inline bool LooksDisabled(const CaptionLook& disabled, const CaptionLook& enabled) {
    return disabled.contrast >= kDisabledTextContrast && disabled.contrast <= enabled.contrast * kDisabledShareOfEnabled;
}

// The two looks, for a failure's message.
inline QString Describe(const CaptionLook& disabled, const CaptionLook& enabled) {
    return QString("disabled %1 on %2 (%3:1), enabled %4 on %5 (%6:1)")
        .arg(disabled.text.name(), disabled.background.name())
        .arg(disabled.contrast, 0, 'f', 2)
        .arg(enabled.text.name(), enabled.background.name())
        .arg(enabled.contrast, 0, 'f', 2);
}

}  // namespace quillane::testing
