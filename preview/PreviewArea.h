#pragma once

#include <QLabel>
#include <QWidget>

namespace quillane {

class TEmoticonGrid;
class TFlashView;

// The rectangle with a border behind the GIF view, white in the plain look.
class TShape : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The right-hand side of the main window: the Flash view filling the area,
// or the GIF view (or the emoticons of an opened pack file) over its white
// background.
class TPreviewArea : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewArea(QWidget* parent = nullptr);

    // Tells screen readers what the area shows ("Wink: Sunrise"), and more where it helps ("4 emoticons").
    void Describe(const QString& shown, const QString& detail = {});
    // Says in the picture's place why there is none; an empty text takes it away.
    void ShowNotice(const QString& text);

    TFlashView* flsPreview;
    TShape* shpImage;
    QLabel* gifPrevew;
    TEmoticonGrid* grdEmoticons;
    QLabel* lblNotice;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace quillane
