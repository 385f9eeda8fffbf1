#pragma once

#include "CatalogueDocument.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <vector>

namespace quillane {

// The two-level tree of the main window: categories and their packs. Each
// row refers to its element in the catalogue document. A model rather than
// one widget item per pack keeps catalogues of 100,000 packs quick to show.
class CatalogueTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    struct Pack {
        QString title;
        CatalogueNode item;
    };
    struct Category {
        QString name;
        CatalogueNode node;
        std::vector<Pack> packs;
    };

    CatalogueTreeModel(QIcon categoryIcon, QIcon packIcon, QObject* parent = nullptr);

    void Clear();
    void SetCategories(std::vector<Category> categories);

    bool IsCategory(const QModelIndex& index) const { return index.isValid() && !index.internalId(); }
    // The catalogue element a row refers to (a category or an item).
    CatalogueNode NodeAt(const QModelIndex& index) const;
    int PackCount() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    // A pack row carries its category's row + 1 as internal id; categories carry 0.
    std::vector<Category> categories_;
    QIcon categoryIcon_;
    QIcon packIcon_;
};

}  // namespace quillane
