#include "CollectionModel.h"

#include "CollectionListing.h"
#include "SearchKey.h"

#include <QLocale>

#include <algorithm>
#include <unordered_set>

namespace quillane {
namespace {

QString Shown(const std::string& bytes) { return QString::fromStdString(ShownText(bytes)); }

QString FileName(const std::string& path) {
    const auto slash = path.rfind('/');
    return Shown(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

void TCollectionModel::Join(int at, TCollectedFile file) {
    Row& row = rows_[static_cast<std::size_t>(at)];
    rowOfPath_[file.path] = at;
    row.copies.insert(std::upper_bound(row.copies.begin(), row.copies.end(), file.path), file.path);
    // The row stands for the copy whose path comes first.
    if (row.copies.front() == file.path) {
        row.file = std::move(file);
        ShowFile(row);
    }
    emit dataChanged(index(at, 0), index(at, ColumnCount - 1));
}

void TCollectionModel::Append(TCollectedFile file) {
    const int at = static_cast<int>(rows_.size());
    if (file.IsPack()) {
        rowOfContents_[file.contents] = at;
        ++packs_;
    }
    rowOfPath_[file.path] = at;
    Row row;
    row.copies = {file.path};
    row.file = std::move(file);
    ShowFile(row);
    row.searchKey = SearchKey(row.title + '\n' + FileName(row.file.path) + '\n' + Shown(row.file.itemNames));
    rows_.push_back(std::move(row));
}

void TCollectionModel::ShowFile(Row& row) {
    const TCollectedFile& file = row.file;
    row.title = file.IsPack() ? Shown(ShownTitle(file)) : FileName(file.path);
    row.titleKey = row.title.toLower();
    row.kind = Shown(file.kind);
    row.path = Shown(file.path);
    row.problem = Shown(file.problem);
}

void TCollectionModel::Add(std::vector<TCollectedFile> files) {
    std::vector<TCollectedFile> fresh;
    std::vector<TCollectedFile> copiesOfFresh;
    std::unordered_set<std::string> freshContents;
    for (TCollectedFile& file : files) {
        const auto known = file.IsPack() ? rowOfContents_.find(file.contents) : rowOfContents_.end();
        if (known != rowOfContents_.end()) {
            Join(known->second, std::move(file));
        } else if (file.IsPack() && !freshContents.insert(file.contents).second) {
            copiesOfFresh.push_back(std::move(file));
        } else {
            fresh.push_back(std::move(file));
        }
    }
    if (!fresh.empty()) {
        const int first = static_cast<int>(rows_.size());
        beginInsertRows({}, first, first + static_cast<int>(fresh.size()) - 1);
        for (TCollectedFile& file : fresh) Append(std::move(file));
        endInsertRows();
    }
    for (TCollectedFile& file : copiesOfFresh) {
        const int row = rowOfContents_.at(file.contents);
        Join(row, std::move(file));
    }
}

void TCollectionModel::Clear() {
    beginResetModel();
    rows_.clear();
    rowOfContents_.clear();
    rowOfPath_.clear();
    packs_ = 0;
    endResetModel();
}

QModelIndex TCollectionModel::IndexOfPath(const std::string& path) const {
    const auto found = rowOfPath_.find(path);
    return found == rowOfPath_.end() ? QModelIndex() : index(found->second, 0);
}

bool TCollectionModel::Matches(int row, const QString& key) const {
    return rows_[static_cast<std::size_t>(row)].searchKey.contains(key);
}

int TCollectionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TCollectionModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TCollectionModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const TCollectedFile& file = row.file;
    const int copies = static_cast<int>(row.copies.size());
    if (role == PathRole) return QByteArray::fromStdString(file.path);
    if (role == IsPackRole) return file.IsPack();
    if (role == Qt::DecorationRole && index.column() == Title && !file.picture.isNull()) return file.picture;
    if (role == Qt::ToolTipRole && (index.column() == Copies || index.column() == Path) && copies > 1) {
        QStringList paths;
        for (const std::string& path : row.copies) paths << Shown(path);
        return paths.join('\n');
    }
    if (role == SortRole) {
        switch (index.column()) {
        case Items: return file.items;
        case Size: return static_cast<qulonglong>(file.bytes);
        case Copies: return copies;
        case Title: return row.titleKey;
        default: return data(index, Qt::DisplayRole);
        }
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case Title: return row.title;
    case Kind: return row.kind;
    case Items: return file.IsPack() ? QVariant(file.items) : QVariant();
    case Size: return QLocale().formattedDataSize(static_cast<qint64>(file.bytes), 1, QLocale::DataSizeTraditionalFormat);
    case Copies: return copies > 1 ? QString("%1 copies").arg(copies) : QString();
    case Path: return row.path;
    case Problem: return row.problem;
    default: return {};
    }
}

QVariant TCollectionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kHeaders[] = {"Title", "Kind", "Items", "Size", "Copies", "Path", "Problem"};
    return section >= 0 && section < ColumnCount ? QString(kHeaders[section]) : QVariant();
}

TCollectionFilter::TCollectionFilter(bool packs, QObject* parent) : QSortFilterProxyModel(parent), packs_(packs) {
    setSortRole(TCollectionModel::SortRole);
}

void TCollectionFilter::SetFilter(const QString& text) {
    key_ = SearchKey(text.trimmed());
    invalidateRowsFilter();
}

bool TCollectionFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = static_cast<const TCollectionModel*>(sourceModel());
    const bool isPack = model->index(sourceRow, 0).data(TCollectionModel::IsPackRole).toBool();
    if (isPack != packs_) return false;
    return key_.isEmpty() || model->Matches(sourceRow, key_);
}

}  // namespace quillane
