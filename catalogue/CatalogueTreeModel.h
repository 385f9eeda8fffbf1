#pragma once

#include "CatalogueDocument.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <vector>

namespace quillane {

// The two-level tree of the main window: categories and their packs. Each
// row refers to its element in the catalogue document. A model rather than
// one widget item per pack keeps catalogues of 100,000 packs quick to show.
// A filter shows only the packs whose title contains a text, under their
// categories; categories without such a pack are hidden while it is set.
class CatalogueTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    struct Pack {
        QString title;
        CatalogueNode item;
        // The title as the filter compares it; SetCategories fills it in.
        QString searchKey = {};
    };
    struct Category {
        QString name;
        CatalogueNode node;
        std::vector<Pack> packs;
    };

    CatalogueTreeModel(QIcon categoryIcon, QIcon packIcon, QObject* parent = nullptr);

    void Clear();
    // Replaces the tree; a filter that is set applies to the new one.
    void SetCategories(std::vector<Category> categories);
    // Shows only the packs whose title contains the text, ignoring letter
    // case and accents; an empty text shows every pack. Returns whether the
    // rows shown have changed (the model was then reset).
    bool SetFilter(const QString& text);
    bool IsFiltered() const { return !filter_.isEmpty(); }

    bool IsCategory(const QModelIndex& index) const { return index.isValid() && !index.internalId(); }
    // The catalogue element a row refers to (a category or an item).
    CatalogueNode NodeAt(const QModelIndex& index) const;
    // The row of a catalogue element, if it is shown.
    QModelIndex IndexOf(CatalogueNode node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Packs say that they never have children: the view then keeps no
    // record of each one when it opens every category, as the filter does.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // A shown category and the positions of its shown packs.
    struct Shown {
        size_t category;
        std::vector<size_t> packs;
        bool operator==(const Shown&) const = default;
    };
    std::vector<Shown> Filtered() const;
    const Pack& PackAt(const QModelIndex& index) const;

    std::vector<Category> categories_;
    // A pack row carries its category's shown row + 1 as internal id; categories carry 0.
    std::vector<Shown> shown_;
    QString filter_;
    QIcon categoryIcon_;
    QIcon packIcon_;
};

}  // namespace quillane
