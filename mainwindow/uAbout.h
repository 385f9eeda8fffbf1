#pragma once

#include "SkinEngine.h"

#include <QDialog>
#include <QLabel>

namespace quillane {

// A label that opens an address when clicked: blue while the mouse is away,
// navy with the hand pointer while it is over the label.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    TLinkLabel(const QString& text, QUrl target, QWidget* parent);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Paint(const QColor& color, const QString& family);

    QUrl target_;
};

// The About box: the program, its version and the vendor's addresses.
class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAbout(QWidget* parent = nullptr);

private:
    TSkinEngine skinAbout{this};
};

}  // namespace quillane
