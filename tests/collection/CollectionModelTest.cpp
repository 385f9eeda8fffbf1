// The collection as the window's list shows it: copies in one row, problems
// apart, and the filter on titles, file names and shortcuts.
#include "CollectionModel.h"

#include <gtest/gtest.h>

using namespace quillane;

namespace {

TCollectedFile Pack(const std::string& path, const std::string& contents, const std::string& title = {},
                    const std::string& itemNames = {}) {
    TCollectedFile file;
    file.path = path;
    file.kind = "emoticons";
    file.title = title;
    file.items = 2;
    file.itemNames = itemNames;
    file.contents = contents;
    return file;
}

QString Cell(const QAbstractItemModel& model, int row, int column) {
    return model.index(row, column).data().toString();
}

}  // namespace

TEST(CollectionModel, CopiesAreOneRowAndProblemsAreListedApart) {
    TCollectionModel model;
    TCollectionFilter packs(true, nullptr), problems(false, nullptr);
    packs.setSourceModel(&model);
    problems.setSourceModel(&model);
    TCollectedFile damaged;
    damaged.path = "bad.QZK";
    damaged.problem = "damaged after 3 of 12 files";
    model.Add({Pack("z/copy.cab", "X"), Pack("b.cab", "Y", "Café Faces"), damaged});
    model.Add({Pack("a.cab", "X"), Pack("m/third.QZK", "X"), Pack("new.cab", "N"), Pack("new copy.cab", "N")});

    ASSERT_EQ(packs.rowCount(), 3);
    packs.sort(TCollectionModel::Path);
    EXPECT_EQ(Cell(packs, 0, TCollectionModel::Path), "a.cab") << "the row stands for the first copy";
    EXPECT_EQ(Cell(packs, 0, TCollectionModel::Copies), "3 copies");
    EXPECT_EQ(packs.index(0, TCollectionModel::Copies).data(Qt::ToolTipRole).toString(), "a.cab\nm/third.QZK\nz/copy.cab");
    EXPECT_EQ(Cell(packs, 1, TCollectionModel::Title), "Café Faces");
    EXPECT_EQ(Cell(packs, 2, TCollectionModel::Path), "new copy.cab") << "copies that came together";
    EXPECT_EQ(Cell(packs, 2, TCollectionModel::Copies), "2 copies");
    EXPECT_EQ(model.IndexOfPath("m/third.QZK").row(), model.IndexOfPath("a.cab").row());
    ASSERT_EQ(problems.rowCount(), 1);
    EXPECT_EQ(Cell(problems, 0, TCollectionModel::Problem), "damaged after 3 of 12 files");
}

TEST(CollectionModel, TheFilterFindsTitlesFileNamesAndShortcutsWhateverCaseAndAccents) {
    TCollectionModel model;
    TCollectionFilter packs(true, nullptr);
    packs.setSourceModel(&model);
    model.Add({Pack("one.cab", "1", "Café Faces"), Pack("Sunrise.QZK", "2"), Pack("three.cab", "3", {}, "Grin\n:-D\n")});

    packs.SetFilter("CAFE");
    ASSERT_EQ(packs.rowCount(), 1);
    EXPECT_EQ(Cell(packs, 0, TCollectionModel::Path), "one.cab");
    packs.SetFilter("sunr");
    ASSERT_EQ(packs.rowCount(), 1);
    EXPECT_EQ(Cell(packs, 0, TCollectionModel::Path), "Sunrise.QZK");
    packs.SetFilter(":-d");
    ASSERT_EQ(packs.rowCount(), 1);
    EXPECT_EQ(Cell(packs, 0, TCollectionModel::Path), "three.cab");
    packs.SetFilter("");
    EXPECT_EQ(packs.rowCount(), 3);
}
