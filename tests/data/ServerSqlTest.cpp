#include <gtest/gtest.h>

#include "data/ServerSql.h"

TEST(ServerSql, NamesTakeTheSchemasSpellingByWhereTheyStand) {
    // A table and a column that differ only in letter case: the word before decides.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT `PERSON` FROM person WHERE [Person] = ?")),
              QStringLiteral("SELECT \"person\" FROM \"Person\" WHERE \"Person\" = $1"));
    EXPECT_EQ(toServerSql(QStringLiteral("UPDATE `Contact` SET `firm` = ?2 WHERE rowid = ?1")),
              QStringLiteral("UPDATE \"Contact\" SET \"firm\" = $2 WHERE \"id\" = $1"));
    // Columns of two tables that differ only in letter case keep the spelling written.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT `Name`, [name] FROM `Group`, Firm")),
              QStringLiteral("SELECT \"Name\", \"name\" FROM \"Group\", \"Firm\""));
    // Unknown names and functions stay; a quoted unknown name keeps its quotes.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT lower(c.relname), \"Odd Name\" FROM pg_class c")),
              QStringLiteral("SELECT lower(c.relname), \"Odd Name\" FROM pg_class c"));
    // A name with a space, as a bracketed column.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT [basic_number of workers] FROM Firm")),
              QStringLiteral("SELECT \"basic_number of workers\" FROM \"Firm\""));
}

TEST(ServerSql, OperatorsParametersAndLiteralsOfTheFileBecomeTheServers) {
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT 1 WHERE name LIKE 'a*' AND name NOT LIKE ?")),
              QStringLiteral("SELECT 1 WHERE \"name\" #~ 'a*' AND \"name\" #!~ $1"));
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT 1 WHERE name IS ?3 AND date IS NOT NULL")),
              QStringLiteral("SELECT 1 WHERE \"name\" IS NOT DISTINCT FROM $3 AND \"date\" IS "
                             "NOT NULL"));
    EXPECT_EQ(toServerSql(QStringLiteral("ORDER BY name COLLATE unicode_nocase, id COLLATE "
                                         "BINARY, firm COLLATE NOCASE")),
              QStringLiteral("ORDER BY \"name\" COLLATE \"tarvex_nocase\", \"id\" COLLATE \"C\", "
                             "\"firm\" COLLATE \"tarvex_nocase\""));
    // Literals pass untouched, quotes, question marks and names inside included.
    EXPECT_EQ(toServerSql(QStringLiteral("SELECT 'it''s ? Person like [x]' FROM Firm")),
              QStringLiteral("SELECT 'it''s ? Person like [x]' FROM \"Firm\""));
    EXPECT_EQ(toServerSql(QStringLiteral("BEGIN IMMEDIATE")), QStringLiteral("BEGIN "));
    EXPECT_EQ(toServerSql(QStringLiteral("CREATE TEMP TABLE t (a DATETIME); SELECT * FROM temp.t")),
              QStringLiteral("CREATE TEMP TABLE t (a timestamp without time zone); SELECT * FROM "
                             "pg_temp.t"));
}
