#include <gtest/gtest.h>
#include <sqlite3.h>

#include "DataTestSupport.h"
#include "data/ChangeNotifier.h"
#include "data/SortedKeyCache.h"
#include "data/SortedKeys.h"

namespace {

const std::vector<SortedKeyColumn> kByName{{QStringLiteral("[lastname]"), true, false},
                                           {QStringLiteral("[firstname]"), true, false}};

DataChange changeOf(const char* table) {
    DataChange change;
    change.tables.push_back({QLatin1String(table), {}, {1}, {}});
    return change;
}

class SortedKeyCacheTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        for (const char* name : {"Berg", "Adler", "Crum"})
            insert(db, name);
    }

    static void insert(CDatabase& on, const char* lastname) {
        CStatement statement(on, QStringLiteral("INSERT INTO [Person] ([lastname]) VALUES (?1)"));
        statement.bind(1, QString::fromUtf8(lastname));
        statement.execute();
    }

    std::vector<qint64> byName(const QString& from = QStringLiteral("[Person]")) {
        return readSortedKeys(db, from, QString(), kByName).value();
    }

    // A row written past the data layer, which announces nothing.
    void insertUnannounced(const char* lastname) {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(dbPath.toUtf8().constData(), &handle), SQLITE_OK);
        const QByteArray sql =
            QByteArray("INSERT INTO Person (lastname) VALUES ('") + lastname + "')";
        EXPECT_EQ(sqlite3_exec(handle, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(handle);
    }
};

}  // namespace

// The keys of a whole table's order come from what was read until a change of the table is
// announced, however the order is spelt; a condition, another table's change or an order of
// expressions does not change that.
TEST_F(SortedKeyCacheTest, AWholeTablesOrderIsReadAgainOnlyWhenItsTableChanged) {
    const std::vector<qint64> first = byName();
    ASSERT_EQ(first.size(), 3u);
    insertUnannounced("Aaron");

    std::vector<SortedKeyColumn> withId = kByName;
    withId.push_back({QStringLiteral("id"), false, false});
    EXPECT_EQ(readSortedKeys(db, QStringLiteral("`person`"), QString(), withId), first);
    EXPECT_EQ(
        readSortedKeys(db, QStringLiteral("[Person]"), QStringLiteral(" WHERE id > 0"), kByName)
            ->size(),
        4u)
        << "a condition is always read";
    withId.back().descending = true;
    EXPECT_EQ(readSortedKeys(db, QStringLiteral("[Person]"), QString(), withId)->size(), 4u)
        << "ties the other way round are another order";

    changeNotifier().announce(changeOf("Firm"));
    EXPECT_EQ(byName(), first);
    changeNotifier().announce(changeOf("Person"));
    const std::vector<qint64> fresh = byName();
    ASSERT_EQ(fresh.size(), 4u);
    EXPECT_EQ(fresh.front(), 4) << "Aaron comes first";

    insertUnannounced("Zorn");
    changeNotifier().announce(DataChange::all());
    EXPECT_EQ(byName().size(), 5u);
}

// A transaction sees its own writes before they are announced, and a rollback announces
// nothing: what it reads is neither taken from the cache nor kept there.
TEST_F(SortedKeyCacheTest, AReadInATransactionIsNeitherServedNorKept) {
    const std::vector<qint64> before = byName();
    CStatement(db, QStringLiteral("BEGIN")).execute();
    insert(db, "Aaron");
    EXPECT_EQ(byName().size(), 4u);
    CStatement(db, QStringLiteral("ROLLBACK")).execute();
    EXPECT_EQ(byName(), before);
}

// A read that began before a change of its table was announced may have missed it.
TEST(SortedKeyCache, KeepsOnlyReadsThatNoChangeOfTheirTableOvertook) {
    CSortedKeyCache cache;
    const auto persons = CSortedKeyCache::orderOf(QStringLiteral("file"), QStringLiteral("Person"),
                                                  QString(), kByName);
    ASSERT_TRUE(persons);
    const std::vector<qint64> keys{3, 1, 2};

    CSortedKeyCache::Ticket ticket = cache.ticket();
    cache.forget(changeOf("Person"));
    cache.keep(*persons, ticket, keys);
    EXPECT_FALSE(cache.find(*persons));

    ticket = cache.ticket();
    cache.forget(changeOf("Firm"));
    cache.keep(*persons, ticket, keys);
    EXPECT_EQ(cache.find(*persons), keys);

    ticket = cache.ticket();
    cache.forget(DataChange::all());
    EXPECT_FALSE(cache.find(*persons));
    cache.keep(*persons, ticket, keys);
    EXPECT_FALSE(cache.find(*persons));

    const auto elsewhere = CSortedKeyCache::orderOf(QStringLiteral("other file"),
                                                    QStringLiteral("Person"), QString(), kByName);
    cache.keep(*persons, cache.ticket(), keys);
    EXPECT_FALSE(cache.find(*elsewhere)) << "another store";
    EXPECT_FALSE(CSortedKeyCache::orderOf(
        QStringLiteral("file"), QStringLiteral("(SELECT * FROM Person)"), QString(), kByName));
    EXPECT_FALSE(CSortedKeyCache::orderOf(QStringLiteral("file"), QStringLiteral("Person"),
                                          QString(),
                                          {{{QStringLiteral("lower(a)"), true, false}}}));
}

// The cache holds a bounded number of keys: the order used longest ago goes first, and an
// order of too many keys, or of keys beyond 32 bits, is not kept at all.
TEST(SortedKeyCache, TheOrderUsedLongestAgoMakesRoom) {
    CSortedKeyCache cache;
    const auto order = [](const char* table) {
        return *CSortedKeyCache::orderOf(QStringLiteral("file"), QLatin1String(table), QString(),
                                         kByName);
    };
    const auto keep = [&cache, &order](const char* table, std::size_t keys) {
        cache.keep(order(table), cache.ticket(), std::vector<qint64>(keys, 7));
    };
    constexpr std::size_t kLargest = CSortedKeyCache::kMostKeysOfAnOrder;
    static_assert(CSortedKeyCache::kMostKeys == 4 * kLargest);
    keep("Person", 10);
    keep("Firm", 10);
    ASSERT_TRUE(cache.find(order("Person")));
    for (const char* table : {"A", "B", "C"})
        keep(table, kLargest);
    keep("D", kLargest - 10);
    EXPECT_TRUE(cache.find(order("Person")));
    EXPECT_FALSE(cache.find(order("Firm")));
    EXPECT_TRUE(cache.find(order("A")));
    EXPECT_TRUE(cache.find(order("D")));

    keep("E", kLargest + 1);
    EXPECT_FALSE(cache.find(order("E")));
    cache.keep(order("Alarm"), cache.ticket(), {1, qint64{1} << 40});
    EXPECT_FALSE(cache.find(order("Alarm")));
}
