#include "FrmModContentU.h"

#include "FitCaptions.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

namespace quillane {
namespace {

template <typename Control>
Control* Place(Control* control, const char* name, int x, int y, int width, int height) {
    control->setObjectName(name);
    control->setGeometry(x, y, width, height);
    return control;
}

}  // namespace

TFrmModContent::TFrmModContent(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmModContent");
    setWindowTitle("Quillane Modify");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(360, 221);
    setFont(QFont("MS Sans Serif", 8));

    labName = Place(new QLabel("Name:", this), "labName", 40, 40, 60, 21);
    edtName = Place(new QLineEdit(this), "edtName", 104, 40, 161, 21);
    labKey = Place(new QLabel("Keyboard:", this), "labKey", 40, 72, 60, 21);
    edtKey = Place(new QLineEdit(this), "edtKey", 104, 72, 161, 21);
    labKeyTaken = Place(new QLabel(this), "labKeyTaken", 104, 98, 240, 60);
    labKeyTaken->setWordWrap(true);
    labKeyTaken->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Names of pictures are shown as they are, never as markup.
    labKeyTaken->setTextFormat(Qt::PlainText);
    labKeyTaken->hide();
    btnOk = Place(new QPushButton("Save", this), "btnOk", 152, 186, 90, 25);
    btnCaption = Place(new QPushButton("Cancel", this), "btnCaption", 256, 186, 90, 25);
    // Names and shortcuts of any length.
    edtName->setMaxLength(std::numeric_limits<int>::max());
    edtKey->setMaxLength(std::numeric_limits<int>::max());
    btnOk->setDefault(true);
    // Screen readers name each field by its label.
    labName->setBuddy(edtName);
    labKey->setBuddy(edtKey);
    connect(btnOk, &QPushButton::clicked, this, &TFrmModContent::btnOkClick);
    connect(btnCaption, &QPushButton::clicked, this, &TFrmModContent::btnCaptionClick);
    FormCreate();
    FitCaptions(*this);
}

void TFrmModContent::WatchShortcut(std::function<QString(const QString& key)> takenBy) {
    takenBy_ = std::move(takenBy);
    connect(edtKey, &QLineEdit::textChanged, this, &TFrmModContent::ShowWhoHasTheShortcut);
    ShowWhoHasTheShortcut();
}

void TFrmModContent::ShowWhoHasTheShortcut() {
    labKeyTaken->setText(takenBy_(edtKey->text()));
    labKeyTaken->setVisible(!labKeyTaken->text().isEmpty());
    labKeyTaken->setAccessibleName(labKeyTaken->text());
}

void TFrmModContent::FormCreate() {
    skinModContent.ApplyGlobalSkin();
}

void TFrmModContent::btnOkClick() {
    EnteredName = edtName->text();
    EnteredKey = edtKey->text();
    accept();
}

void TFrmModContent::btnCaptionClick() {
    reject();
}

}  // namespace quillane
