#include "EmoticonGrid.h"

#include "PictureReading.h"

#include <QGridLayout>
#include <QLabel>
#include <QMovie>
#include <QTextDocument>

namespace quillane {
namespace {

constexpr int kColumns = 8;
constexpr int kCell = 40;

}  // namespace

TEmoticonGrid::TEmoticonGrid(QWidget* parent) : QWidget(parent) {
    setObjectName("grdEmoticons");
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

int TEmoticonGrid::SetEmoticons(const std::vector<Emoticon>& emoticons) {
    auto* layout = static_cast<QGridLayout*>(this->layout());
    for (QLabel* old : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) delete old;
    int shown = 0;
    for (const Emoticon& emoticon : emoticons) {
        auto* cell = new QLabel(this);
        QMovie* movie = OpenPictureMovieOf(emoticon.picture, cell);
        if (!movie) {
            delete cell;
            continue;
        }
        cell->setObjectName("emoticon" + QString::number(shown));
        cell->setFixedSize(kCell, kCell);
        cell->setAlignment(Qt::AlignCenter);
        cell->setMovie(movie);
        // Names and shortcuts come from the pack: shown as they are, never read as markup.
        cell->setToolTip(Qt::convertFromPlainText(
            emoticon.shortcut.isEmpty() ? emoticon.name : emoticon.name + "  " + emoticon.shortcut, Qt::WhiteSpacePre));
        movie->start();
        layout->addWidget(cell, shown / kColumns, shown % kColumns);
        cell->show();
        ++shown;
    }
    adjustSize();
    return shown;
}

}  // namespace quillane
