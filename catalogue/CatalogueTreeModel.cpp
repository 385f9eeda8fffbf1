#include "CatalogueTreeModel.h"

#include "SearchKey.h"

#include <numeric>

namespace quillane {

CatalogueTreeModel::CatalogueTreeModel(QIcon categoryIcon, QIcon packIcon, QObject* parent)
    : QAbstractItemModel(parent), categoryIcon_(std::move(categoryIcon)), packIcon_(std::move(packIcon)) {}

void CatalogueTreeModel::Clear() {
    SetCategories({});
}

void CatalogueTreeModel::SetCategories(std::vector<Category> categories) {
    for (auto& category : categories) {
        for (auto& pack : category.packs) pack.searchKey = SearchKey(pack.title);
    }
    beginResetModel();
    categories_ = std::move(categories);
    shown_ = Filtered();
    endResetModel();
}

bool CatalogueTreeModel::SetFilter(const QString& text) {
    filter_ = SearchKey(text);
    std::vector<Shown> shown = Filtered();
    // Typing on often keeps the same packs; the view then keeps its rows.
    if (shown == shown_) return false;
    beginResetModel();
    shown_ = std::move(shown);
    endResetModel();
    return true;
}

std::vector<CatalogueTreeModel::Shown> CatalogueTreeModel::Filtered() const {
    std::vector<Shown> shown;
    for (size_t category = 0; category < categories_.size(); ++category) {
        const auto& packs = categories_[category].packs;
        Shown kept{category, {}};
        if (filter_.isEmpty()) {
            kept.packs.resize(packs.size());
            std::iota(kept.packs.begin(), kept.packs.end(), size_t{0});
        } else {
            for (size_t pack = 0; pack < packs.size(); ++pack) {
                if (packs[pack].searchKey.contains(filter_)) kept.packs.push_back(pack);
            }
            if (kept.packs.empty()) continue;
        }
        shown.push_back(std::move(kept));
    }
    return shown;
}

const CatalogueTreeModel::Pack& CatalogueTreeModel::PackAt(const QModelIndex& index) const {
    const Shown& shown = shown_[index.internalId() - 1];
    return categories_[shown.category].packs[shown.packs[static_cast<size_t>(index.row())]];
}

CatalogueNode CatalogueTreeModel::NodeAt(const QModelIndex& index) const {
    if (!index.isValid()) return {};
    if (IsCategory(index)) return categories_[shown_[static_cast<size_t>(index.row())].category].node;
    return PackAt(index).item;
}

QModelIndex CatalogueTreeModel::IndexOf(CatalogueNode node) const {
    if (!node) return {};
    for (size_t row = 0; row < shown_.size(); ++row) {
        const Category& category = categories_[shown_[row].category];
        if (category.node == node) return createIndex(static_cast<int>(row), 0, quintptr(0));
        const auto& packs = shown_[row].packs;
        for (size_t packRow = 0; packRow < packs.size(); ++packRow) {
            if (category.packs[packs[packRow]].item == node) {
                return createIndex(static_cast<int>(packRow), 0, quintptr(row + 1));
            }
        }
    }
    return {};
}

QModelIndex CatalogueTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) {
        return static_cast<size_t>(row) < shown_.size() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    }
    if (!IsCategory(parent)) return {};
    const auto& packs = shown_[static_cast<size_t>(parent.row())].packs;
    return static_cast<size_t>(row) < packs.size() ? createIndex(row, 0, quintptr(parent.row() + 1)) : QModelIndex();
}

QModelIndex CatalogueTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || IsCategory(child)) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr(0));
}

int CatalogueTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(shown_.size());
    if (!IsCategory(parent)) return 0;
    return static_cast<int>(shown_[static_cast<size_t>(parent.row())].packs.size());
}

int CatalogueTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant CatalogueTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const bool category = IsCategory(index);
    if (role == Qt::DisplayRole) {
        return category ? categories_[shown_[static_cast<size_t>(index.row())].category].name : PackAt(index).title;
    }
    if (role == Qt::DecorationRole) return category ? categoryIcon_ : packIcon_;
    return {};
}

Qt::ItemFlags CatalogueTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return IsCategory(index) ? flags : flags | Qt::ItemNeverHasChildren;
}

}  // namespace quillane
