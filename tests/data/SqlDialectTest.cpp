#include <gtest/gtest.h>

#include "data/SqlDialect.h"

TEST(SqlDialect, TranslatesNamesLiteralsAndJoining) {
    EXPECT_EQ(toSqlite(QStringLiteral("[Group] = 'A' and [basic_number of workers] <> \"x\"")),
              QStringLiteral("`Group` = 'A' and `basic_number of workers` <> 'x'"));
    EXPECT_EQ(toSqlite(QStringLiteral("[lastname] + \" \" + [firstname] like 'Smith*'")),
              QStringLiteral("`lastname` || ' ' || `firstname` like 'Smith*'"));
    // Quotes inside literals: '...' kept as it is, "..." becomes '...' with ' doubled.
    EXPECT_EQ(toSqlite(QStringLiteral("name = 'O''Brien [x] + \"y\"'")),
              QStringLiteral("name = 'O''Brien [x] + \"y\"'"));
    EXPECT_EQ(toSqlite(QStringLiteral("name = \"O'Brien \"\"Jr\"\"\"")),
              QStringLiteral("name = 'O''Brien \"Jr\"'"));
    EXPECT_EQ(toSqlite(QStringLiteral("lastname asc, firstname desc")),
              QStringLiteral("lastname asc, firstname desc"));
    EXPECT_EQ(toSqlite(QStringLiteral("ID = 5 and not (status <> 2 or x like '#*')")),
              QStringLiteral("ID = 5 and not (status <> 2 or x like '#*')"));
}

TEST(SqlDialect, QuotesUserValues) {
    EXPECT_EQ(sqlQuoted(QStringLiteral("O'Brien")), QStringLiteral("O''Brien"));
    EXPECT_EQ(likeLiteral(QStringLiteral("A*B?C#D[E]'F")), QStringLiteral("A[*]B[?]C[#]D[[]E]''F"));
    EXPECT_EQ(quotedName(QStringLiteral("a`b")), QStringLiteral("`a``b`"));
}

TEST(SqlDialect, RecognisesSimpleSelects) {
    auto parts = parseSimpleSelect(
        QStringLiteral("select * from [sharks2] where [id_firm] = 3 order by [id]"));
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->source, QStringLiteral("sharks2"));
    EXPECT_EQ(parts->where, QStringLiteral("[id_firm] = 3"));
    EXPECT_EQ(parts->orderBy, QStringLiteral("[id]"));

    // Keywords inside literals or parentheses do not split the text.
    parts = parseSimpleSelect(QStringLiteral(
        "Select * From [person] Where name = 'a order by b' or id in (select id from x where 1);"));
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->where,
              QStringLiteral("name = 'a order by b' or id in (select id from x where 1)"));
    EXPECT_TRUE(parts->orderBy.isEmpty());

    EXPECT_FALSE(parseSimpleSelect(QStringLiteral("select name from [Firm]")));
    EXPECT_FALSE(parseSimpleSelect(QStringLiteral("select * from a, b")));
    EXPECT_EQ(sourceName(QStringLiteral(" [Sharks 2] ")), QStringLiteral("Sharks 2"));
    EXPECT_TRUE(sourceName(QStringLiteral("select * from x")).isEmpty());
}

TEST(SqlDialect, ComparisonsWithoutWildcardsBecomeIndexedEqualities) {
    EXPECT_EQ(toSqlite(QStringLiteral("person like 'Smith Jo' or [firm] like 'A[*]B'")),
              QStringLiteral("person = 'smith jo' COLLATE NOCASE or `firm` = 'a*b' COLLATE "
                             "NOCASE"));
    EXPECT_EQ(toSqlite(QStringLiteral("name like \"O'Brien\"")),
              QStringLiteral("name = 'o''brien' COLLATE NOCASE"));
    // Beyond ASCII: the range of the ASCII part in the index, then the Unicode comparison.
    EXPECT_EQ(toSqlite(QString::fromUtf8("[lastname] = 'Mü'")),
              QString::fromUtf8("(`lastname` >= CAST(X'4dC280' AS TEXT) COLLATE NOCASE AND "
                                "`lastname` < CAST(X'4dF5' AS TEXT) COLLATE NOCASE AND "
                                "`lastname` = 'Mü' COLLATE unicode_nocase)"));
    EXPECT_EQ(toSqlite(QString::fromUtf8("x <> 'Ø'")),
              QString::fromUtf8("x <> 'Ø' COLLATE unicode_nocase"));
    // Kept as written: wildcards, a shown date or time, NOT LIKE, an expression, ASCII "=".
    for (const char* kept :
         {"person like 'Smith*'", "[date] like '2003/04/05'", "[time] like '10:20:30'",
          "person not like 'x'", "a + b like 'x'", "name = 'Acme' and id = 3", "t.name like 'x'",
          "name like 'x' escape '!'", "name like '[a-c]'"}) {
        const QString sql = toSqlite(QString::fromUtf8(kept));
        EXPECT_FALSE(sql.contains(QStringLiteral("COLLATE")))
            << kept << " -> " << sql.toStdString();
    }
}

TEST(SqlDialect, SortsTextColumnsIgnoringUnicodeCase) {
    EXPECT_EQ(toSqliteSort(QStringLiteral("lastname asc, [firstname] DESC, id, date desc"),
                           {"LastName", "firstname"}),
              QStringLiteral("lastname COLLATE unicode_nocase asc, `firstname` COLLATE "
                             "unicode_nocase DESC, id, date desc"));
    EXPECT_EQ(toSqliteSort(QStringLiteral("[a] + [b]"), {"a", "b"}),
              QStringLiteral("`a` || `b`"));
}
