// The filter field above the tree: Ctrl+F goes there, Down goes on into the
// packs found, Escape clears it, and clearing it gives back the tree as it was
// before the filter. A pack the filter hides is no longer previewed.
#include "FrmMainU.h"

#include "CatalogueTreeModel.h"
#include "CollectionView.h"
#include "ErrorBox.h"
#include "FlashView.h"
#include "PreviewArea.h"

#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

namespace quillane {

QWidget* TFrmMain::CreateFilteredTree(QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName("pnlTree");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    edtFilter = new QLineEdit(panel);
    edtFilter->setObjectName("edtFilter");
    edtFilter->setPlaceholderText("Find a pack (Ctrl+F)");
    connect(edtFilter, &QLineEdit::textChanged, this, [this](const QString& text) { edtFilterChange(text); });
    // Enter takes the keyboard to the packs found, ready for the arrow keys and Enter.
    connect(edtFilter, &QLineEdit::returnPressed, this, [this] {
        if (CollectionShown()) return collection_->FocusList();
        treWinksList->setFocus(Qt::ShortcutFocusReason);
    });
    auto* down = new QShortcut(QKeySequence(Qt::Key_Down), edtFilter, nullptr, nullptr, Qt::WidgetShortcut);
    connect(down, &QShortcut::activated, this, [this] { Guarded([this] { EnterResults(); }, this); });

    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        edtFilter->setFocus(Qt::ShortcutFocusReason);
        edtFilter->selectAll();
    });
    auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), edtFilter, nullptr, nullptr, Qt::WidgetShortcut);
    connect(clear, &QShortcut::activated, edtFilter, &QLineEdit::clear);

    treWinksList = new QTreeView(panel);
    layout->addWidget(edtFilter);
    layout->addWidget(treWinksList, 1);

    // Said in the tree's place when the filter leaves it empty.
    lblNoMatch = new QLabel("No pack matches", treWinksList->viewport());
    lblNoMatch->setObjectName("lblNoMatch");
    lblNoMatch->setAlignment(Qt::AlignCenter);
    lblNoMatch->hide();
    auto* overTree = new QVBoxLayout(treWinksList->viewport());
    overTree->addWidget(lblNoMatch, 0, Qt::AlignHCenter | Qt::AlignTop);
    return panel;
}

void TFrmMain::edtFilterChange(const QString& text) {
    if (CollectionShown()) return collection_->SetFilter(text);
    const bool wasFiltered = treeModel->IsFiltered();
    if (!wasFiltered) RememberTree();
    const CatalogueNode selected = treeModel->NodeAt(treWinksList->currentIndex());
    const bool changed = treeModel->SetFilter(text);
    lblNoMatch->setVisible(treeModel->IsFiltered() && treeModel->rowCount() == 0);
    if (treeModel->IsFiltered()) {
        // The same rows as before stay as they are, opened and chosen.
        if (!changed && wasFiltered) return;
        treWinksList->expandAll();
        SelectInTree(selected);
        if (CurrentItem && OpenedPackFile.empty() && !treeModel->IndexOf(CurrentItem).isValid()) ClearHiddenPreview();
    } else if (wasFiltered) {
        treWinksList->collapseAll();
        for (const CatalogueNode category : treeBeforeFilter_.expanded) {
            treWinksList->expand(treeModel->IndexOf(category));
        }
        // A pack chosen while filtering stays chosen; otherwise the one chosen before.
        SelectInTree(selected ? selected : treeBeforeFilter_.selected);
        // The pack the filter took out of the preview comes back with its row.
        if (hiddenByFilter_ && HighlightedPack() == hiddenByFilter_) Guarded([this] { PreviewHighlighted(); }, this);
    }
    if (!treeModel->IsFiltered()) hiddenByFilter_ = {};
}

void TFrmMain::ClearHiddenPreview() {
    StopUnpacking();
    hiddenByFilter_ = CurrentItem;
    CurrentItem = {};
    // Nothing visible is chosen, so there is nothing to install.
    actInstall->setEnabled(false);
    previewTitle_.clear();
    if (FlashShown) {
        flsPreview->SetMovie(kNoMovie);
    } else {
        if (QMovie* movie = gifPrevew->movie()) movie->stop();
        gifPrevew->hide();
    }
    pnlPreview->Describe("Preview", "Nothing is shown");
    SetStatusText("The filter hides " + QString::fromStdString(xmlWinksFile.AttributeText(hiddenByFilter_, "ContentTitle")) + ".");
}

void TFrmMain::EnterResults() {
    if (CollectionShown()) return collection_->FocusList();
    treWinksList->setFocus(Qt::ShortcutFocusReason);
    if (HighlightedPack()) return;
    // The first pack found, previewed as the arrow keys preview one.
    for (int row = 0; row < treeModel->rowCount(); ++row) {
        const QModelIndex firstPack = treeModel->index(0, 0, treeModel->index(row, 0));
        if (!firstPack.isValid()) continue;
        treWinksList->setCurrentIndex(firstPack);
        return;
    }
}

void TFrmMain::RememberTree() {
    treeBeforeFilter_ = {};
    treeBeforeFilter_.selected = treeModel->NodeAt(treWinksList->currentIndex());
    for (int row = 0; row < treeModel->rowCount(); ++row) {
        const QModelIndex category = treeModel->index(row, 0);
        if (treWinksList->isExpanded(category)) treeBeforeFilter_.expanded.push_back(treeModel->NodeAt(category));
    }
}

void TFrmMain::SelectInTree(CatalogueNode node) {
    const QModelIndex index = treeModel->IndexOf(node);
    if (!index.isValid()) return;
    treWinksList->setCurrentIndex(index);
    treWinksList->scrollTo(index);
}

}  // namespace quillane
