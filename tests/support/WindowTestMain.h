#pragma once

#include "FlashView.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <chrono>

namespace quillane::testing {

// Fails the running test when a modal window stays open with nobody to
// answer it, printing what it says, and closes it so that the test goes on to
// its end instead of waiting for the suite's time-out. Message boxes a test
// expects are answered within milliseconds; the program's own windows (the
// install window) get the time a real install of a sample pack may take.
class UnansweredModalWatch : public QObject {
public:
    static constexpr std::chrono::seconds kBoxPatience{5};
    static constexpr std::chrono::seconds kWindowPatience{20};

    UnansweredModalWatch() {
        connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
        timer_.start(100);
    }

private:
    void Look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != watched_) {
            watched_ = modal;
            since_.restart();
            return;
        }
        const auto* box = qobject_cast<QMessageBox*>(modal);
        const auto patience = std::chrono::milliseconds(box ? kBoxPatience : kWindowPatience);
        if (!modal || since_.elapsed() < patience.count()) return;
        QString text = box ? box->text() : modal->windowTitle();
        if (!box) {
            for (const QLabel* label : modal->findChildren<QLabel*>()) text += " | " + label->text();
        }
        const QByteArray message = ("A modal window stayed open with nobody to answer it: \"" + text + "\"").toUtf8();
        QTest::qFail(message.constData(), __FILE__, __LINE__);
        watched_ = nullptr;
        modal->close();
    }

    QTimer timer_;
    QPointer<QWidget> watched_;
    QElapsedTimer since_;
};

}  // namespace quillane::testing

// The main() of a window test: the web engine of the Flash view must be
// prepared before the application object exists, as the program does.
#define QUILLANE_WINDOW_TEST_MAIN(TestClass)            \
    int main(int argc, char** argv) {                   \
        quillane::PrepareFlashPlayer();                 \
        QApplication application(argc, argv);           \
        quillane::testing::UnansweredModalWatch watch;    \
        TestClass test;                                 \
        return QTest::qExec(&test, argc, argv);         \
    }
