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

#include <QMessageBox>
#include <QStringList>

namespace quillane::testing {

// While it lives, closes every message box that opens and keeps its text,
// so that a test sees what the user would have read.
class MessageBoxRecorder {
public:
    MessageBoxRecorder() {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts_.append(box->text());
                box->accept();
            }
        });
        timer_.start(10);
    }
    const QStringList& Texts() const { return texts_; }

private:
    QTimer timer_;
    QStringList texts_;
};

}  // namespace quillane::testing
