#pragma once

#include <QAccessible>
#include <QStringList>
#include <QWidget>

namespace quillane::testing {

// The controls of a window that a person can reach (shown and taking the
// keyboard focus) and that a screen reader has no name for, as "objectName
// (class)".
inline QStringList UnnamedControls(QWidget* window) {
    QStringList unnamed;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisible() || control->focusPolicy() == Qt::NoFocus) continue;
        // Other windows (dialogs owned by this one) are checked on their own.
        if (control->window() != window) continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed << control->objectName() + " (" + control->metaObject()->className() + ")";
        }
    }
    return unnamed;
}

}  // namespace quillane::testing
