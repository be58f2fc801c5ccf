#include <gtest/gtest.h>

#include "data/ServerSql.h"

TEST(ServerSql, NamesTakeTheSchemasSpellingByWhereTheyStand) {
    // A table and a column that differ only in letter case: the word before decides.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT `PERSON` FROM person WHERE [Person] = ?")),
              QStringLiteral("SELECT \"person\" FROM \"Person\" WHERE \"Person\" = $1"));
    EXPECT_EQ(toServerSql(QStringLiteral("UPDATE `Contact` SET `firm` = ?2 WHERE rowid = ?1")),
              QStringLiteral("UPDATE \"Contact\" SET \"firm\" = $2 WHERE \"id\" = $1"));
    // A column two tables spell differently takes the statement's table's spelling.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT id, NAME FROM `Group` WHERE name = ?")),
              QStringLiteral("SELECT \"id\", \"Name\" FROM \"Group\" WHERE \"Name\" = $1"));
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT [NAME] FROM Firm")),
              QStringLiteral("SELECT \"name\" FROM \"Firm\""));
    // Unknown names and functions stay; a quoted unknown name keeps its quotes.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT lower(c.relname), \"Odd Name\" FROM pg_class c")),
              QStringLiteral("SELECT lower(c.relname), \"Odd Name\" FROM pg_class c"));
    EXPECT_EQ(toServerSql(QStringLiteral("INSERT INTO Person (lastname) VALUES (lower(?))")),
              QStringLiteral("INSERT INTO \"Person\" (\"lastname\") VALUES (lower($1))"));
    // A name with a space, as a bracketed column.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT [basic_number of workers] FROM Firm")),
              QStringLiteral("SELECT \"basic_number of workers\" FROM \"Firm\""));
}

// The file puts NULL before every value, the server after: each key of an ORDER BY, in a
// subquery or a call too, says where NULL goes, unless it says so itself.
TEST(ServerSql, OrderedNullsComeFirstAsInTheFile) {
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT rowid FROM Contact ORDER BY date DESC, time, "
                                         "rowid LIMIT 5")),
              QStringLiteral("SELECT \"id\" FROM \"Contact\" ORDER BY \"date\" DESC NULLS LAST, "
                             "\"time\" NULLS FIRST, \"id\" NULLS FIRST LIMIT 5"));
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT * FROM (SELECT a FROM t ORDER BY lower(a), b "
                                         "asc) AS s ORDER BY a NULLS LAST; SELECT 1")),
              QStringLiteral("SELECT * FROM (SELECT a FROM t ORDER BY lower(a) NULLS FIRST, b "
                             "asc NULLS FIRST) AS s ORDER BY a NULLS LAST; SELECT 1"));
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT count(*) FROM Person GROUP BY firm")),
              QStringLiteral("SELECT count(*) FROM \"Person\" GROUP BY \"firm\""));
}

TEST(ServerSql, OperatorsParametersAndLiteralsOfTheFileBecomeTheServers) {
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT 1 WHERE name LIKE 'a*' AND name NOT LIKE ?")),
              QStringLiteral("SELECT 1 WHERE \"name\" #~ 'a*' AND \"name\" #!~ $1"));
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT 1 WHERE name IS ?3 AND date IS NOT NULL")),
              QStringLiteral("SELECT 1 WHERE \"name\" IS NOT DISTINCT FROM $3 AND \"date\" IS "
                             "NOT NULL"));
    EXPECT_EQ(toServerSql(QStringLiteral("ORDER BY name COLLATE unicode_nocase, id COLLATE "
                                         "BINARY DESC, firm COLLATE NOCASE")),
              QStringLiteral("ORDER BY \"name\" COLLATE \"tarvex_nocase\" NULLS FIRST, \"id\" "
                             "COLLATE \"C\" DESC NULLS LAST, \"firm\" COLLATE \"tarvex_nocase\" "
                             "NULLS FIRST"));
    // Literals pass untouched, quotes, question marks and names inside included.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT 'it''s ? Person like [x]' FROM Firm")),
              QStringLiteral("SELECT 'it''s ? Person like [x]' FROM \"Firm\""));
    EXPECT_EQ(toServerSql(QStringLiteral("BEGIN IMMEDIATE")), QStringLiteral("BEGIN "));
    EXPECT_EQ(toServerSql(QStringLiteral("CREATE TEMP TABLE t (a DATETIME); SELECT * FROM temp.t")),
              QStringLiteral("CREATE TEMP TABLE t (a timestamp without time zone); SELECT * FROM "
                             "pg_temp.t"));
}
