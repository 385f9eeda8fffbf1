#pragma once

#include "SkinEngine.h"

#include <QDialog>
#include <functional>

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

    // Says under the shortcut, as it is typed, what `takenBy` tells of the
    // pictures that have it already (nothing when it is free).
    void WatchShortcut(std::function<QString(const QString& key)> takenBy);

    QLabel* labName;
    QLineEdit* edtName;
    QLabel* labKey;
    QLineEdit* edtKey;
    QLabel* labKeyTaken;
    QPushButton* btnOk;
    QPushButton* btnCaption;

private:
    void FormCreate();
    void btnOkClick();
    void btnCaptionClick();
    void ShowWhoHasTheShortcut();

    std::function<QString(const QString&)> takenBy_;

    TSkinEngine skinModContent{this};
};

}  // namespace quillane
