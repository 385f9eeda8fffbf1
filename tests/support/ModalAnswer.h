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

#include <QAbstractItemView>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <string>

namespace quillane::testing {

// Answers the next file dialog with a path, as if typed and accepted; with
// `overwrite`, also says Yes to the dialog's question about replacing it.
inline void AnswerFileDialog(const std::string& path, bool overwrite = false) {
    AnswerNextModal([path, overwrite](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        dialog->setDirectory(QString::fromStdString(std::filesystem::path(path).parent_path().string()));
        // Files picked in an earlier use of the dialog would come along with the typed name.
        if (auto* list = dialog->findChild<QAbstractItemView*>("listView")) list->clearSelection();
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(name);
        name->setText(QString::fromStdString(std::filesystem::path(path).filename().string()));
        if (overwrite) {
            AnswerNextModal([dialog](QWidget* question) {
                auto* box = qobject_cast<QMessageBox*>(question);
                QVERIFY(box && box != static_cast<QWidget*>(dialog));
                box->button(QMessageBox::Yes)->click();
            });
        }
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible()) dialog->reject();  // refused: let the test fail instead of hanging
        QVERIFY(dialog->result() == QDialog::Accepted);
    });
}

}  // namespace quillane::testing

#include <memory>

namespace quillane::testing {

// What a message box showed the user.
struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool seen = false;
    Qt::TextFormat format = Qt::AutoText;
};

// Answers the next message box with OK and keeps what it showed.
inline std::shared_ptr<SeenBox> AnswerMessageBox() {
    auto seen = std::make_shared<SeenBox>();
    AnswerNextModal([seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        *seen = {box->text(), box->windowTitle(), box->icon(), true, box->textFormat()};
        box->accept();
    });
    return seen;
}

}  // namespace quillane::testing
