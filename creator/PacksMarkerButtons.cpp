// The Packs Creator's buttons act only where they can: Remove and Modify on a
// chosen row, Remove All on a list with rows, Generate on lists with a picture,
// so that no empty pack is ever made. An empty list says how pictures come in.
#include "PacksMarkerU.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quillane {
namespace {

QLabel* MakeHint(QTreeWidget* list, const char* name, const QString& text) {
    auto* hint = new QLabel(text, list->viewport());
    hint->setObjectName(name);
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    // Clicks and dropped files go on to the list.
    hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* overList = new QVBoxLayout(list->viewport());
    overList->addWidget(hint);
    return hint;
}

}  // namespace

void TFrmPacksCreator::FollowTheLists() {
    lblNoEmoticons = MakeHint(lstEmoticons, "lblNoEmoticons",
                              "No emoticons yet. Add pictures, drop them here, or import a Pidgin theme.");
    lblNoDisPictures = MakeHint(lstDisPictures, "lblNoDisPictures", "No display pictures yet. Add pictures, or drop them here.");
    connect(tabContent, &QTabWidget::currentChanged, this, [this] {
        UpdateButtons();
        ShowPictureOfPage();
    });
    for (QTreeWidget* list : {lstEmoticons, lstDisPictures}) {
        connect(list, &QTreeWidget::itemSelectionChanged, this, &TFrmPacksCreator::UpdateButtons);
        connect(list->model(), &QAbstractItemModel::rowsInserted, this, &TFrmPacksCreator::UpdateButtons);
        connect(list->model(), &QAbstractItemModel::rowsRemoved, this, &TFrmPacksCreator::UpdateButtons);
        connect(list->model(), &QAbstractItemModel::modelReset, this, &TFrmPacksCreator::UpdateButtons);
    }
    UpdateButtons();
}

void TFrmPacksCreator::UpdateButtons() {
    const QTreeWidget* list = ActiveList();
    const bool chosen = !list->selectedItems().isEmpty();
    btnRemove->setEnabled(chosen);
    btnModfiy->setEnabled(chosen);
    btnRemoveAll->setEnabled(list->topLevelItemCount() > 0);
    btnExport->setEnabled(PictureCount() > 0);
    lblNoEmoticons->setVisible(lstEmoticons->topLevelItemCount() == 0);
    lblNoDisPictures->setVisible(lstDisPictures->topLevelItemCount() == 0);
}

}  // namespace quillane
