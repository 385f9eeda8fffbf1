#pragma once

#include "CollectedFile.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <string>
#include <unordered_map>
#include <vector>

namespace quillane {

// The collection as rows: one a pack, its copies (the same files inside
// under other names) with it, and one a file listed apart with its problem.
// Files are added as the scan finds them.
class TCollectionModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Title, Kind, Items, Size, Copies, Path, Problem, ColumnCount };
    enum Role {
        // The path below the folder as its bytes (a QByteArray), for opening the file.
        PathRole = Qt::UserRole,
        // What the column sorts by: numbers as numbers.
        SortRole,
        // Whether the row is a pack rather than a file listed apart.
        IsPackRole,
    };

    using QAbstractTableModel::QAbstractTableModel;

    void Add(std::vector<TCollectedFile> files);
    void Clear();
    // The row of the file at that path, as a pack or one of its copies.
    QModelIndex IndexOfPath(const std::string& path) const;
    int Packs() const { return packs_; }
    int Problems() const { return static_cast<int>(rows_.size()) - packs_; }
    // Whether the row's names hold the key (a SearchKey).
    bool Matches(int row, const QString& key) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row {
        TCollectedFile file;                // the first copy by path
        std::vector<std::string> copies;    // the paths of every copy, the first included
        QString searchKey;
        // The texts shown, made once: sorting asks for them again and again.
        QString title, kind, path, problem, titleKey;
    };
    static void ShowFile(Row& row);
    // A copy of the pack of that row.
    void Join(int row, TCollectedFile file);
    void Append(TCollectedFile file);

    std::vector<Row> rows_;
    std::unordered_map<std::string, int> rowOfContents_;
    std::unordered_map<std::string, int> rowOfPath_;
    int packs_ = 0;
};

// The packs, or the files listed apart, of a collection, sorted by the column
// chosen and filtered by the text typed: a pack shows when its title, file
// name or the names and shortcuts of its items hold it, whatever the letter
// case and accents.
class TCollectionFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    TCollectionFilter(bool packs, QObject* parent);
    void SetFilter(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    bool packs_;
    QString key_;
};

}  // namespace quillane
