#pragma once

#include "SkinEngine.h"

#include <QDialog>

class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillane {

// Asks for a pack file and the name under which a user list shows it.
class TFrmAddPack : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAddPack(QWidget* parent = nullptr);

    // The entries as typed, read after the dialog closed with OK.
    QString PackFileName;
    QString DisplayName;

    QLabel* lblPack;
    QLabel* lblDispName;
    QLineEdit* edtPack;
    QLineEdit* edtDispName;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QFileDialog* opnPack;

private:
    void FormCreate();
    // The classic layout, grown wherever this platform's font or the skin
    // needs more room for a text than it gives.
    void FitToTexts();
    void BitBtn1Click();
    void BitBtn2Click();

    TSkinEngine skinAddPack{this};
};

}  // namespace quillane
