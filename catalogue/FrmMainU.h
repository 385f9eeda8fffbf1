#pragma once

#include "SkinEngine.h"

#include <QMainWindow>

namespace quillane {

// The catalogue manager: the program's window when it starts without a pack.
class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);

    void FormCreate();

private:
    TSkinEngine skinMain{this};
};

}  // namespace quillane
