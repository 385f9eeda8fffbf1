#pragma once

#include "SkinEngine.h"

#include <QDialog>

namespace quillane {

// Installs one pack, Global().PackToInstall, into Messenger.
class TFrmInstall : public QDialog {
    Q_OBJECT
public:
    explicit TFrmInstall(QWidget* parent = nullptr);

    bool Installed = false;
    bool Cancelled = false;

private:
    void FormCreate();

    TSkinEngine skinForm{this};
};

}  // namespace quillane
