// The packs kept for previewing again: within their budget whatever is shown.
#include "PreviewCache.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

using namespace quillane;

namespace {

std::shared_ptr<const TPackPreview> PackOf(std::size_t bytes) {
    auto preview = std::make_shared<TPackPreview>();
    preview->contents.movie.assign(bytes, 'x');
    return preview;
}

}  // namespace

TEST(PreviewCache, StaysWithinItsBudgetDroppingTheLeastRecentlyShown) {
    TPreviewCache cache(10 << 20);
    for (int pack = 0; pack < 5; ++pack) cache.Keep("pack" + std::to_string(pack), PackOf(3 << 20));
    EXPECT_LE(cache.Bytes(), std::size_t{10} << 20);
    EXPECT_EQ(cache.Find("pack0"), nullptr);
    EXPECT_NE(cache.Find("pack2"), nullptr);
    // pack2 is now the most recently shown: the next pack pushes pack3 out instead.
    cache.Keep("pack5", PackOf(3 << 20));
    EXPECT_NE(cache.Find("pack2"), nullptr);
    EXPECT_EQ(cache.Find("pack3"), nullptr);
    EXPECT_LE(cache.Bytes(), std::size_t{10} << 20);
}

TEST(PreviewCache, APackLargerThanTheBudgetIsNeverKept) {
    TPreviewCache cache;
    cache.Keep("small", PackOf(1 << 20));
    cache.Keep("huge", PackOf(TPreviewCache::kBudget));
    EXPECT_EQ(cache.Find("huge"), nullptr);
    EXPECT_NE(cache.Find("small"), nullptr);
    EXPECT_LE(cache.Bytes(), TPreviewCache::kBudget);
}

// A file changed on the disk is known as another pack and read again.
TEST(PreviewCache, TheKeyFollowsTheFilesSizeAndTime) {
    quillane::testing::TempFolder folder;
    quillane::testing::WriteFile(folder.File("pack.QZK"), "one");
    const std::string before = PreviewKey(folder.File("pack.QZK"));
    EXPECT_EQ(PreviewKey(folder.File("pack.QZK")), before);
    quillane::testing::WriteFile(folder.File("pack.QZK"), "longer");
    EXPECT_NE(PreviewKey(folder.File("pack.QZK")), before);
}
