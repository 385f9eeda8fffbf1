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

namespace quillane {

TFrmAddPack::TFrmAddPack(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmAddPack");
    setWindowTitle("Add new pack");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setFixedSize(440, 179);
    setFont(QFont("MS Sans Serif", 8));

    auto* packLabel = new QLabel("Pack File:", this);
    packLabel->move(48, 35);
    edtPack = new QLineEdit(this);
    // Screen readers name each field by its label.
    packLabel->setBuddy(edtPack);
    edtPack->setObjectName("edtPack");
    edtPack->setGeometry(120, 32, 225, 21);
    edtPack->setReadOnly(true);
    edtPack->setStyleSheet("QLineEdit { background: silver; }");
    BitBtn2 = new QPushButton("...", this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setGeometry(352, 32, 25, 23);
    BitBtn2->setAccessibleName("Choose the pack file");
    auto* nameLabel = new QLabel("Display Name:", this);
    nameLabel->move(48, 67);
    edtDispName = new QLineEdit(this);
    nameLabel->setBuddy(edtDispName);
    edtDispName->setObjectName("edtDispName");
    edtDispName->setGeometry(120, 64, 225, 21);
    BitBtn1 = new QPushButton("Ok", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(248, 136, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn3 = new QPushButton("Cancel", this);
    BitBtn3->setObjectName("BitBtn3");
    BitBtn3->setGeometry(344, 136, 75, 25);

    opnPack = new QFileDialog(this);
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
}

void TFrmAddPack::BitBtn2Click() {
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
