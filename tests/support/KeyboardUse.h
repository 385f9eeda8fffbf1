#pragma once

#include <QApplication>
#include <QStringList>
#include <QWidget>
#include <QWindow>
#include <QtTest>

namespace quillane::testing {

// Presses a key in the window as the keyboard does: it reaches whichever
// control has the focus, not one the test picks.
inline void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

// The name of the control that has the keyboard focus in the window.
inline QString Focused(QWidget* window) {
    const QWidget* focused = window->focusWidget();
    return focused ? focused->objectName() : QString();
}

// Where the focus goes on each of so many presses of Tab.
inline QStringList TabPath(QWidget* window, int presses) {
    QStringList path;
    for (int press = 0; press < presses; ++press) {
        PressKey(window, Qt::Key_Tab);
        path << Focused(window);
    }
    return path;
}

}  // namespace quillane::testing
