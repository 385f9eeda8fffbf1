#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace quillane::testing {

// Answers the next modal window (message box, file dialog, the program's
// own dialogs) from the event loop, as a user would, once it is open.
inline void AnswerNextModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

}  // namespace quillane::testing
