#pragma once

#include "SkinEngine.h"

#include <QDialog>

class QTextBrowser;

namespace quillane {

// The program's help: the README that comes with it, readable without a
// browser or a network. It stays open beside the main window.
class TFrmHelp : public QDialog {
    Q_OBJECT
public:
    explicit TFrmHelp(QWidget* parent = nullptr);

private:
    QTextBrowser* txtHelp;
    TSkinEngine skinHelp{this};
};

// Shows the help beside the owner, the window already open if there is one.
void ShowHelp(QWidget* owner);

}  // namespace quillane
