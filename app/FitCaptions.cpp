#include "FitCaptions.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <algorithm>

namespace quillane {
namespace {

// The room kept between a grown caption and the window's edge.
constexpr int kMargin = 8;

bool IsCaption(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return !label->text().isEmpty() && !label->wordWrap() && !label->hasScaledContents();
    }
    auto* button = qobject_cast<QAbstractButton*>(control);
    return button && !button->text().isEmpty();
}

}  // namespace

void FitCaptions(QWidget& window) {
    window.ensurePolished();
    QSize needed = window.size();
    for (QWidget* control : window.findChildren<QWidget*>()) {
        // Controls in a layout are sized by it.
        if (control->parentWidget()->layout() || !IsCaption(control)) continue;
        control->ensurePolished();
        const QSize fitted = control->size().expandedTo(control->sizeHint());
        if (fitted == control->size()) continue;
        control->resize(fitted);
        const QRect placed(control->mapTo(&window, QPoint()), fitted);
        needed = needed.expandedTo(QSize(placed.right() + 1 + kMargin, placed.bottom() + 1 + kMargin));
    }
    if (needed == window.size()) return;
    if (window.minimumSize() == window.maximumSize()) {
        window.setFixedSize(needed);
    } else {
        window.resize(needed);
    }
}

}  // namespace quillane
