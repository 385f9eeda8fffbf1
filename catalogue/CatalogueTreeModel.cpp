#include "CatalogueTreeModel.h"

namespace quillane {

CatalogueTreeModel::CatalogueTreeModel(QIcon categoryIcon, QIcon packIcon, QObject* parent)
    : QAbstractItemModel(parent), categoryIcon_(std::move(categoryIcon)), packIcon_(std::move(packIcon)) {}

void CatalogueTreeModel::Clear() {
    SetCategories({});
}

void CatalogueTreeModel::SetCategories(std::vector<Category> categories) {
    beginResetModel();
    categories_ = std::move(categories);
    endResetModel();
}

CatalogueNode CatalogueTreeModel::NodeAt(const QModelIndex& index) const {
    if (!index.isValid()) return {};
    if (IsCategory(index)) return categories_[static_cast<size_t>(index.row())].node;
    return categories_[index.internalId() - 1].packs[static_cast<size_t>(index.row())].item;
}

int CatalogueTreeModel::PackCount() const {
    size_t count = 0;
    for (const auto& category : categories_) count += category.packs.size();
    return static_cast<int>(count);
}

QModelIndex CatalogueTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) {
        return static_cast<size_t>(row) < categories_.size() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    }
    if (!IsCategory(parent)) return {};
    const auto& packs = categories_[static_cast<size_t>(parent.row())].packs;
    return static_cast<size_t>(row) < packs.size() ? createIndex(row, 0, quintptr(parent.row() + 1)) : QModelIndex();
}

QModelIndex CatalogueTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || IsCategory(child)) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr(0));
}

int CatalogueTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(categories_.size());
    if (!IsCategory(parent)) return 0;
    return static_cast<int>(categories_[static_cast<size_t>(parent.row())].packs.size());
}

int CatalogueTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant CatalogueTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const bool category = IsCategory(index);
    if (role == Qt::DisplayRole) {
        if (category) return categories_[static_cast<size_t>(index.row())].name;
        return categories_[index.internalId() - 1].packs[static_cast<size_t>(index.row())].title;
    }
    if (role == Qt::DecorationRole) return category ? categoryIcon_ : packIcon_;
    return {};
}

}  // namespace quillane
