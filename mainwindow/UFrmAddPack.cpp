#include "UFrmAddPack.h"

#include "ErrorBox.h"
#include "FileDialogs.h"
#include "Pictures.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace quillane {

TFrmAddPack::TFrmAddPack(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmAddPack");
    setWindowTitle("Add new pack");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setFixedSize(440, 179);
    setFont(QFont("MS Sans Serif", 8));

    lblPack = new QLabel("Pack File:", this);
    lblPack->setObjectName("lblPack");
    lblPack->move(48, 35);
    edtPack = new QLineEdit(this);
    // Screen readers name each field by its label.
    lblPack->setBuddy(edtPack);
    edtPack->setObjectName("edtPack");
    edtPack->setGeometry(120, 32, 225, 21);
    edtPack->setReadOnly(true);
    edtPack->setStyleSheet("QLineEdit { background: silver; }");
    BitBtn2 = new QPushButton("...", this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setGeometry(352, 32, 25, 23);
    BitBtn2->setAccessibleName("Choose the pack file");
    lblDispName = new QLabel("Display Name:", this);
    lblDispName->setObjectName("lblDispName");
    lblDispName->move(48, 67);
    edtDispName = new QLineEdit(this);
    lblDispName->setBuddy(edtDispName);
    edtDispName->setObjectName("edtDispName");
    edtDispName->setGeometry(120, 64, 225, 21);
    BitBtn1 = new QPushButton("Ok", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(248, 136, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn3 = new QPushButton("Cancel", this);
    BitBtn3->setObjectName("BitBtn3");
    BitBtn3->setGeometry(344, 136, 75, 25);

    opnPack = new QFileDialog(this, "Choose the Pack File");
    opnPack->setObjectName("opnPack");
    opnPack->setOption(QFileDialog::DontUseNativeDialog);
    opnPack->setFileMode(QFileDialog::ExistingFile);
    SetPackFileFilters(*opnPack);
    CloseCompletionsWithDialog(*opnPack);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1Click(); }, this); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn2Click(); }, this); });
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

void TFrmAddPack::FormCreate() {
    skinAddPack.ApplyGlobalSkin();
    FitToTexts();
}

void TFrmAddPack::FitToTexts() {
    ensurePolished();
    for (QWidget* control : findChildren<QWidget*>()) control->ensurePolished();
    constexpr int kGap = 6;
    for (QLabel* label : {lblPack, lblDispName}) label->resize(label->sizeHint());
    const int left = std::max(edtPack->x(), lblPack->x() + std::max(lblPack->width(), lblDispName->width()) + kGap);
    edtPack->move(left, edtPack->y());
    edtDispName->move(left, edtDispName->y());
    const QSize browse = BitBtn2->sizeHint().expandedTo(BitBtn2->size());
    BitBtn2->setGeometry(left + edtPack->width() + 7, BitBtn2->y(), browse.width(), browse.height());
    const int width = std::max(this->width(), BitBtn2->geometry().right() + 63);
    // OK and Cancel keep their places from the right edge.
    for (QPushButton* button : {BitBtn1, BitBtn3}) {
        const QSize fitted = button->sizeHint().expandedTo(button->size());
        button->setGeometry(width - (this->width() - button->x()), button->y(), fitted.width(), fitted.height());
    }
    setFixedSize(width, std::max(height(), BitBtn3->geometry().bottom() + 18));
}

void TFrmAddPack::BitBtn2Click() {
    StartInLastFolder(*opnPack, "AddPackFile");
    if (opnPack->exec() != QDialog::Accepted || opnPack->selectedFiles().isEmpty()) return;
    const QString chosen = opnPack->selectedFiles().constFirst();
    edtPack->setText(chosen);
    edtDispName->setText(QFileInfo(chosen).fileName());
}

void TFrmAddPack::BitBtn1Click() {
    const auto refuse = [this](const QString& text) {
        QMessageBox box(QMessageBox::Information, kApplicationTitle, text, QMessageBox::Ok, this);
        box.exec();
    };
    if (edtPack->text().trimmed().isEmpty()) return refuse("The Pack File field can not be empty!");
    if (edtDispName->text().trimmed().isEmpty()) return refuse("The Display Name field can not be empty!");
    PackFileName = edtPack->text();
    DisplayName = edtDispName->text();
    accept();
}

}  // namespace quillane
