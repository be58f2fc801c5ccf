#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The forms, lists and search write their conditions, sorts and SELECT texts in the
// engine's dialect: bracketed names ([Group], [basic_number of workers]), "..." string
// literals, "+" (or "&") joining texts, LIKE with "*", "?", "#" and "[...]". This is the
// one place that turns such a text into SQLite SQL.
//
// Text comparison ignores letter case for every letter. "name = 'text'" with a text beyond
// ASCII, and "name like 'text'" without wildcards, become comparisons that still find their
// rows through the column's index (see textEquals).
// Where the SQLite text goes: the contacts file, or the team's server, which runs it after
// its own translation (ServerSql.h) and compares texts ignoring letter case without the
// file's index tricks.
enum class SqlTarget { File, Server };
class CDatabase;
SqlTarget sqlTargetOf(const CDatabase& db);
QString toSqlite(const QString& engineSql, SqlTarget target = SqlTarget::File);
// A sort text ("lastname asc, [firstname] desc") in SQLite; the terms that name one of
// `textColumns` sort with Unicode letter case ignored.
QString toSqliteSort(const QString& engineSort, const QStringList& textColumns);
// SQLite for "column equals value, letter case ignored" that the engine answers from an
// index on the column (built-in NOCASE). `column` is SQLite text.
QString textEquals(const QString& column, const QString& value, SqlTarget target = SqlTarget::File);

// A user's value for a '%s' slot of a condition: single quotes doubled.
QString sqlQuoted(const QString& value);
// A user's value for a LIKE pattern that must match only itself: the wildcard characters
// are put in sets ("[*]", "[?]", "[#]", "[[]") and single quotes doubled.
QString likeLiteral(const QString& value);
// A name as an SQLite identifier: "name", inner double quotes doubled.
QString quotedName(const QString& name);

// The parts of "select * from [name] [where ...] [order by ...]" (engine dialect).
struct SimpleSelect {
    QString source;
    QString where;
    QString orderBy;
};
// The parts of a SELECT text of that simple form; nullopt for any other text.
std::optional<SimpleSelect> parseSimpleSelect(const QString& engineSql);

// The name in a source text that names a table or query ("[Person]", "person"); empty when
// the text is a SELECT.
QString sourceName(const QString& source);
