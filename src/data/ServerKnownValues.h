#pragma once

#include <QString>
#include <QStringList>

class CDatabase;

// The known values on a team's server, kept ready by the server itself. The load of the
// pick lists asks, for every column that gives names, for each distinct text and the first
// row that holds it. Grouping a million contacts for that takes the server seconds at every
// start of every client, so the server keeps the answer in the table "KnownValue": triggers
// on the tables bring it up to date in the transaction of each write, whoever writes.
//
// A row of "KnownValue" is one group of a source: the exact texts (value2 only for the
// persons' first names) and the smallest id of the rows that hold them.
namespace serverknownvalues {

// The statements that create the table and its triggers and fill it from the tables' rows.
QStringList createStatements();
// Replaces the index in the order of first rows by one that holds the texts too.
QStringList loadOrderStatements();
// Fills the table anew from the tables' rows: after a bulk copy, whose rows the triggers
// leave alone.
QStringList rebuildStatements();

// The name under which "KnownValue" keeps one source's groups.
QString sourceName(int source);

// Whether the connection's user may read the table (false on an older schema, which has
// none). Throws CDbException.
bool readable(CDatabase& db);

}  // namespace serverknownvalues
