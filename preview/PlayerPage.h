#pragma once

#include <QWebEnginePage>

namespace quillane {

// A page of the Flash player. What the player writes to its console (its
// sound being held back until a click, its own progress) means nothing to
// the person using Quillane, so it is not passed on to the terminal.
class TPlayerPage : public QWebEnginePage {
    Q_OBJECT
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
};

}  // namespace quillane
