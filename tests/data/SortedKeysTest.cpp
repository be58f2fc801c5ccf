#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <cstring>

#include "DataTestSupport.h"
#include "data/NoCaseCollation.h"
#include "data/RecordSource.h"
#include "data/Statement.h"

namespace {

// Texts whose orders under the built-in NOCASE and under the Unicode comparison differ:
// letters beyond ASCII, characters that fold to ASCII letters (Kelvin sign, long s),
// characters beyond the BMP, a byte that is not UTF-8, and ASCII between the letter cases.
const char* const kTexts[] = {"smith",
                              "Smith",
                              "\xC5\xBFmith",
                              "SMITHS",
                              "\xE2\x84\xAAlein",
                              "klein",
                              "Kleinz",
                              "M\xC3\xBCller",
                              "M\xC3\x9CLLER",
                              "Mz",
                              "Ma",
                              "\xC3\x89mile",
                              "emile",
                              "\xC3\xA9milE",
                              "Zorn",
                              "",
                              "_x",
                              "[x",
                              "\xF0\x90\x90\x80",
                              "\xF0\x90\x90\xA8",
                              "\xEF\xBC\xA1",
                              "\xEF\xBD\x81",
                              "b",
                              "\xE6\x97\xA5\xE6\x9C\xAC"};

int sign(int n) {
    return (n > 0) - (n < 0);
}

}  // namespace

TEST(NoCaseKey, KeysCompareAsTheTextsDo) {
    for (const char* a : kTexts) {
        for (const char* b : kTexts) {
            std::string keyA;
            std::string keyB;
            appendNoCaseKey(keyA, a, int(std::strlen(a)));
            appendNoCaseKey(keyB, b, int(std::strlen(b)));
            EXPECT_EQ(sign(keyA.compare(keyB)),
                      sign(compareNoCase(a, int(std::strlen(a)), b, int(std::strlen(b)))))
                << a << " / " << b;
        }
    }
    const char kelvin[] = "\xE2\x84\xAA";
    EXPECT_EQ(compareNoCase(kelvin, 3, "k", 1), 0) << "the Kelvin sign folds to k";
    EXPECT_LT(compareNoCase("\xFF", 1, "\xEF\xBF\xBE", 3), 0) << "a stray byte reads as U+FFFD";
}

class SortedKeysTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        CStatement(db, QStringLiteral("CREATE TABLE Sample (id INTEGER PRIMARY KEY, a TEXT "
                                      "COLLATE NOCASE, b TEXT COLLATE NOCASE, n INTEGER, "
                                      "d DATETIME)"))
            .execute();
        CStatement(db, QStringLiteral("CREATE INDEX Sample_a ON Sample (a)")).execute();
        QRandomGenerator random(7);
        const auto text = [&]() -> QVariant {
            switch (random.bounded(10)) {
                case 0:
                    return {};
                case 1:
                    return QByteArray("\x01\x02");  // a blob
                default:
                    return QString::fromUtf8(kTexts[random.bounded(int(std::size(kTexts)))]);
            }
        };
        CStatement insert(db, QStringLiteral("INSERT INTO Sample (a, b, n, d) VALUES (?1, ?2, "
                                             "?3, ?4)"));
        for (int i = 0; i < 600; ++i) {
            insert.bind(1, text());
            insert.bind(2, text());
            const int kind = random.bounded(5);
            insert.bind(3, kind == 0   ? QVariant()
                           : kind == 1 ? QVariant(random.bounded(3) + 0.5)
                           : kind == 2 ? QVariant(QStringLiteral("x"))
                                       : QVariant(qint64(random.bounded(7)) - 3));
            insert.bind(4, QStringLiteral("2026-12-0%1 10:00:00").arg(random.bounded(3)));
            insert.step();
            insert.reset();
        }
        // A stray byte, which is not UTF-8.
        CStatement(db, QStringLiteral("INSERT INTO Sample (a) VALUES (CAST(X'4DFF' AS TEXT))"))
            .execute();
    }

    // The keys as the engine orders them with our comparison called for every pair.
    std::vector<qint64> engineKeys(const CRecordSource& source) {
        std::vector<qint64> keys;
        CStatement statement(db, source.keysSql());
        while (statement.step())
            keys.push_back(statement.int64(0));
        return keys;
    }
};

TEST_F(SortedKeysTest, OrderIsTheOrderOfTheUnicodeComparison) {
    for (const char* sort : {"a, id", "a desc, id", "a, b desc, id", "n desc, a, id",
                             "b desc, d, id desc", "[a] asc, n, id"}) {
        for (const char* filter : {"", "n > 0 or a like 'm*'"}) {
            const CRecordSource source(db, QStringLiteral("Sample"), QLatin1String(filter),
                                       QLatin1String(sort), CRecordSource::Mode::Keyset);
            EXPECT_EQ(source.readKeys(), engineKeys(source)) << sort << " where " << filter;
        }
    }
}

TEST_F(SortedKeysTest, EqualTextsKeepTheOrderOfTheirKeys) {
    const CRecordSource source(db, QStringLiteral("Sample"), QStringLiteral("a = 'müller'"),
                               QStringLiteral("a"), CRecordSource::Mode::Keyset);
    const std::vector<qint64> keys = source.readKeys();
    ASSERT_GT(keys.size(), 2u);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

TEST_F(SortedKeysTest, HugeIntegersAndRealsSortExactly) {
    // As doubles, the numbers from 2^53 on would be equal in twos and threes.
    const std::pair<int, const char*> values[] = {
        {3, "9007199254740993"},     {4, "9007199254740992"},      {5, "9223372036854775808.0"},
        {6, "9223372036854775807"},  {7, "9223372036854775806"},   {8, "9.3e18"},
        {9, "-9223372036854775808"}, {10, "-9223372036854775807"}, {11, "1.5"}};
    for (const auto& [id, value] : values)
        CStatement(db, QStringLiteral("UPDATE Sample SET n = %1 WHERE id = %2")
                           .arg(QLatin1String(value))
                           .arg(id))
            .execute();
    // The real 2^63 is above the largest integer, though their doubles are equal.
    const std::vector<qint64> expected{8, 5, 6, 7, 3, 4, 11, 10, 9};
    const CRecordSource source(db, QStringLiteral("Sample"), QStringLiteral("id between 3 and 11"),
                               QStringLiteral("n desc, id desc"), CRecordSource::Mode::Keyset);
    EXPECT_EQ(source.readKeys(), expected);

    const std::vector<SortedKeyColumn> columns{{"n", false, true}, {"id", false, true}};
    CRowSortKeyReader reader(db, QStringLiteral("Sample"), columns);
    std::vector<RowSortKey> keys(expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(reader.read(expected[i], keys[i]), CRowSortKeyReader::Outcome::Read);
    for (std::size_t i = 1; i < keys.size(); ++i)
        EXPECT_TRUE(sortsBefore(keys[i - 1], keys[i], columns)) << "at " << i;
}

TEST_F(SortedKeysTest, SingleRowKeysOrderRowsAsTheBulkReadDoes) {
    const std::vector<std::vector<SortedKeyColumn>> orders{
        {{"a", true, false}, {"id", false, false}},
        {{"a", true, true}, {"b", true, false}, {"id", false, true}},
        {{"n", false, true}, {"a", true, false}, {"id", false, false}},
        {{"d", false, true}, {"b", true, true}, {"id", false, false}}};
    for (const std::vector<SortedKeyColumn>& columns : orders) {
        const std::optional<std::vector<qint64>> bulk =
            readSortedKeys(db, QStringLiteral("Sample"), QString(), columns);
        ASSERT_TRUE(bulk);
        CRowSortKeyReader reader(db, QStringLiteral("Sample"), columns);
        std::vector<RowSortKey> keys(bulk->size());
        for (std::size_t i = 0; i < bulk->size(); ++i)
            ASSERT_EQ(reader.read((*bulk)[i], keys[i]), CRowSortKeyReader::Outcome::Read);
        for (std::size_t i = 1; i < keys.size(); ++i) {
            ASSERT_TRUE(sortsBefore(keys[i - 1], keys[i], columns))
                << columns.front().sql.toStdString() << " at " << i;
            ASSERT_FALSE(sortsBefore(keys[i], keys[i - 1], columns));
        }
    }
    RowSortKey key;
    CRowSortKeyReader reader(db, QStringLiteral("Sample"), {{"n", false, false}});
    EXPECT_EQ(reader.read(100000, key), CRowSortKeyReader::Outcome::NoSuchRow);
}

// Thousands of distinct names, each on a few rows, beyond ASCII so that all are sorted by
// their keys: the distinct keys are numbered and ranked once, the rows sorted by rank.
TEST_F(SortedKeysTest, ManyRepeatedNamesSortAsTheComparisonDoes) {
    CStatement(db, QStringLiteral("DELETE FROM Sample")).execute();
    CStatement insert(db, QStringLiteral("INSERT INTO Sample (a, n) VALUES (?1, ?2)"));
    QRandomGenerator random(11);
    for (int i = 0; i < 6000; ++i) {
        const int name = int(random.bounded(2500));
        insert.bind(
            1,
            (name % 2 ? QStringLiteral("MÜLLER %1") : QStringLiteral("müller %1")).arg(name / 2));
        insert.bind(2, qint64(random.bounded(4)));
        insert.step();
        insert.reset();
    }
    for (const char* sort : {"a, id", "a desc, n, id", "a, n desc, id desc"}) {
        const CRecordSource source(db, QStringLiteral("Sample"), QString(), QLatin1String(sort),
                                   CRecordSource::Mode::Keyset);
        EXPECT_EQ(source.readKeys(), engineKeys(source)) << sort;
    }
}
