#include "ErrorBox.h"

#include <QMessageBox>

namespace quillane {

QString ErrorBoxText(const std::string& message) {
    QString text = QString::fromStdString(message);
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') text += '.';
    return text;
}

void ShowApplicationError(const std::string& message, QWidget* parent) {
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, ErrorBoxText(message), QMessageBox::Ok, parent);
    box.setObjectName("ApplicationErrorBox");
    box.exec();
}

}  // namespace quillane
