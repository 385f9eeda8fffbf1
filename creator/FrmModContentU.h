#pragma once

#include "SkinEngine.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillane {

// The small dialog that edits a picture's name and, for an emoticon, its
// keyboard shortcut. Save keeps both texts and closes with the result OK.
class TFrmModContent : public QDialog {
    Q_OBJECT
public:
    explicit TFrmModContent(QWidget* parent = nullptr);

    QString EnteredName;
    QString EnteredKey;

    QLabel* labName;
    QLineEdit* edtName;
    QLabel* labKey;
    QLineEdit* edtKey;
    QPushButton* btnOk;
    QPushButton* btnCaption;

private:
    void FormCreate();
    void btnOkClick();
    void btnCaptionClick();

    TSkinEngine skinModContent{this};
};

}  // namespace quillane
