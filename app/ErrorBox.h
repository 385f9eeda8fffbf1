#pragma once

#include <QMessageBox>
#include <QString>
#include <exception>
#include <string>

namespace quillane {

// The application title: the caption of every message box.
inline const QString kApplicationTitle = QStringLiteral("Quillane");

// The text of the general error box: the message, with a period added when
// its last character sorts after ".".
QString ErrorBoxText(const std::string& message);

// Shows a message box of the program, titled as all are, and returns the
// button chosen. Its text is plain text, never markup: it may hold names from
// packs and sites. With Yes and No, No is the default.
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           const QString& objectName = {});

// The application's general error box: the text, the title and a stop icon.
void ShowApplicationError(const std::string& message, QWidget* parent = nullptr);

// Runs an event handler that may fail; a failure is shown in the general
// error box and the program goes on. Exceptions never reach Qt's event loop.
template <typename Handler>
void Guarded(Handler&& handler, QWidget* parent = nullptr) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowApplicationError(error.what(), parent);
    } catch (...) {
        ShowApplicationError("Unknown error", parent);
    }
}

}  // namespace quillane
