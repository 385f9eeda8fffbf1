#pragma once

#include <QAbstractItemModel>
#include <QTreeView>
#include <QtTest>

namespace quillane::testing {

// Opens the category and clicks one of its packs in the tree, as the user does,
// and checks that the click made it the current pack.
inline void ClickPackInTree(QTreeView* tree, int category, int row) {
    QAbstractItemModel* model = tree->model();
    const QModelIndex parent = model->index(category, 0);
    tree->expand(parent);
    const QModelIndex target = model->index(row, 0, parent);
    QVERIFY(target.isValid());
    tree->scrollTo(target);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(target).center());
    QCOMPARE(tree->currentIndex(), target);
}

}  // namespace quillane::testing
