#pragma once

#include <QString>
#include <exception>
#include <string>

class QWidget;

namespace quillane {

// The application title: the caption of every message box.
inline const QString kApplicationTitle = QStringLiteral("Quillane");

// The text of the general error box: the message, with a period added when
// its last character sorts after ".".
QString ErrorBoxText(const std::string& message);

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
