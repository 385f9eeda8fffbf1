#include "ErrorBox.h"

#include <QMessageBox>

namespace quillane {

QString ErrorBoxText(const std::string& message) {
    QString text = QString::fromStdString(message);
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') text += '.';
    return text;
}

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                           QMessageBox::StandardButtons buttons, const QString& objectName) {
    QMessageBox box(icon, kApplicationTitle, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (buttons.testFlag(QMessageBox::No)) box.setDefaultButton(QMessageBox::No);
    if (!objectName.isEmpty()) box.setObjectName(objectName);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void ShowApplicationError(const std::string& message, QWidget* parent) {
    ShowMessageBox(parent, QMessageBox::Critical, ErrorBoxText(message), QMessageBox::Ok, "ApplicationErrorBox");
}

}  // namespace quillane
