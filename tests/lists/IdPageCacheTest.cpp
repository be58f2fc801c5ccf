#include "lists/IdPageCache.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::vector<qint32> idsUpTo(int n) {
    std::vector<qint32> ids(static_cast<std::size_t>(n));
    std::iota(ids.begin(), ids.end(), 1);
    return ids;
}

// The rows of a page as the fetcher would deliver them: each id times ten.
std::vector<int> fetched(const CIdPageCache<int>& cache, int page) {
    std::vector<int> rows;
    for (qint32 id : cache.pageIds(page))
        rows.push_back(id * 10);
    return rows;
}

TEST(IdPageCacheTest, RowsArriveByPageAndTheLastPageIsShort) {
    CIdPageCache<int> cache(4, 8);
    cache.reset(idsUpTo(10));
    EXPECT_EQ(cache.size(), 10);
    EXPECT_EQ(cache.row(5), nullptr);
    EXPECT_EQ(cache.pageOf(5), 1);
    ASSERT_TRUE(cache.store(cache.generation(), 1, fetched(cache, 1)));
    ASSERT_NE(cache.row(5), nullptr);
    EXPECT_EQ(*cache.row(5), 60);
    EXPECT_EQ(cache.row(8), nullptr);
    EXPECT_EQ(cache.pageIds(2).size(), 2u);
    ASSERT_TRUE(cache.store(cache.generation(), 2, fetched(cache, 2)));
    EXPECT_EQ(*cache.row(9), 100);
    EXPECT_FALSE(cache.store(cache.generation(), 3, {}));  // past the end
}

TEST(IdPageCacheTest, PagesOfAnOlderResultAreRefused) {
    CIdPageCache<int> cache(4, 8);
    cache.reset(idsUpTo(10));
    const quint64 old = cache.generation();
    const std::vector<int> rows = fetched(cache, 0);
    cache.reset({7, 3, 5});
    EXPECT_FALSE(cache.store(old, 0, rows));
    EXPECT_EQ(cache.row(0), nullptr);
    EXPECT_TRUE(cache.store(cache.generation(), 0, fetched(cache, 0)));
    EXPECT_EQ(*cache.row(0), 70);
}

TEST(IdPageCacheTest, OnlyTheMostRecentlyUsedPagesAreKept) {
    CIdPageCache<int> cache(2, 3);
    cache.reset(idsUpTo(100));
    for (int page = 0; page < 3; ++page)
        cache.store(cache.generation(), page, fetched(cache, page));
    ASSERT_NE(cache.row(0), nullptr);  // page 0 is now the most recently used
    cache.store(cache.generation(), 10, fetched(cache, 10));
    EXPECT_EQ(cache.cachedPages(), 3u);
    EXPECT_NE(cache.row(0), nullptr);
    EXPECT_EQ(cache.row(2), nullptr);  // page 1 went
    EXPECT_NE(cache.row(4), nullptr);
    EXPECT_NE(cache.row(20), nullptr);
}

TEST(IdPageCacheTest, RetainKeepsTheOrderAndStartsANewResult) {
    CIdPageCache<int> cache(4, 8);
    cache.reset({5, 9, 2, 8, 1});
    cache.store(cache.generation(), 0, fetched(cache, 0));
    const quint64 before = cache.generation();
    cache.retain([](qint32 id) { return id % 2 == 1; });
    EXPECT_EQ(cache.ids(), (std::vector<qint32>{5, 9, 1}));
    EXPECT_NE(cache.generation(), before);
    EXPECT_EQ(cache.row(0), nullptr);
    EXPECT_EQ(cache.rowOf(1), 2);
    EXPECT_EQ(cache.rowOf(2), -1);
}

}  // namespace

TEST(IdPageCache, InsertAndEraseDropOnlyThePagesFromTheRowOn) {
    CIdPageCache<int> cache(2, 8);
    cache.reset({10, 11, 12, 13, 14, 15});
    for (int page = 0; page < 3; ++page)
        ASSERT_TRUE(cache.store(cache.generation(), page, {page * 2, page * 2 + 1}));
    cache.erase(2, 3);
    EXPECT_EQ(cache.ids(), (std::vector<qint32>{10, 11, 14, 15}));
    EXPECT_TRUE(cache.hasPage(0));
    EXPECT_FALSE(cache.hasPage(1)) << "its rows moved";
    EXPECT_FALSE(cache.hasPage(2));
    ASSERT_NE(cache.row(1), nullptr);
    EXPECT_EQ(*cache.row(1), 1);

    ASSERT_TRUE(cache.store(cache.generation(), 1, {4, 5}));
    cache.insert(1, 20);
    EXPECT_EQ(cache.ids(), (std::vector<qint32>{10, 20, 11, 14, 15}));
    EXPECT_FALSE(cache.hasPage(0));
    EXPECT_FALSE(cache.hasPage(1));
    EXPECT_EQ(cache.rowOf(20), 1);
}
