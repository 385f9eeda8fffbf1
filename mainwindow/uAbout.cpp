#include "uAbout.h"

#include "ErrorBox.h"
#include "FrmMainU.h"
#include "Pictures.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QMouseEvent>
#include <QUrl>

namespace quillane {

TLinkLabel::TLinkLabel(const QString& text, QUrl target, QWidget* parent)
    : QLabel(text, parent), target_(std::move(target)) {
    Paint(Qt::blue, "MS Sans Serif");
}

void TLinkLabel::Paint(const QColor& color, const QString& family) {
    QFont font(family, 8);
    font.setUnderline(true);
    setFont(font);
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, color);
    setPalette(colors);
}

void TLinkLabel::enterEvent(QEnterEvent*) {
    window()->setCursor(Qt::PointingHandCursor);
    Paint(QColor(0, 0, 128), "MS Sans Serif");
}

void TLinkLabel::leaveEvent(QEvent*) {
    window()->unsetCursor();
    Paint(Qt::blue, "Tahoma");
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        QDesktopServices::openUrl(target_);
    }
}

TFrmAbout::TFrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmAbout");
    setWindowTitle("About Quillane");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setFixedSize(370, 172);
    setFont(QFont("MS Sans Serif", 8));

    auto* icon = new QLabel(this);
    icon->setObjectName("imgIcon");
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto* title = new QLabel("Quillane 2.0", this);
    title->setObjectName("labTitle");
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(11);
    title->setFont(titleFont);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(12);
    grid->addWidget(icon, 0, 0, Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(title, 0, 1, 1, 2);
    struct Row {
        const char* caption;
        QString text;
        QUrl target;
        const char* name;
    };
    const Row rows[] = {
        {"Home Page:", kHomePage, QUrl(kHomePage), "labHomePage"},
        {"Support:", kSupportAddress, QUrl(QString("mailto:") + kSupportAddress), "labSupport"},
        {"Sales:", kSalesAddress, QUrl(QString("mailto:") + kSalesAddress), "labSales"},
    };
    int line = 1;
    for (const Row& row : rows) {
        grid->addWidget(new QLabel(row.caption, this), line, 1);
        auto* link = new TLinkLabel(row.text, row.target, this);
        link->setObjectName(row.name);
        grid->addWidget(link, line, 2);
        ++line;
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(line, 1);
    skinAbout.ApplyGlobalSkin();
}

}  // namespace quillane
