#pragma once

#include <QStringList>
#include <span>

#include "data/Schema.h"
#include "data/SortedKeys.h"

class CDatabase;
class CServerConnection;

// The file orders names by their case-folded characters, one after the other
// (NoCaseCollation.h); the server's collation orders them by language. So that a team's
// forms and lists get the file's order from the server, without reading every name and
// sorting them here, the server folds names with a function (tarvex_fold_ and a hash of its
// text) made from this program's own folding table, and keeps indexes of folded names in
// the orders the forms and name lists open in. Placing a changed row still compares its keys here,
// by the same folding, so both agree.
namespace servernameorder {

// The function and its indexes. The function holds every letter that folds, so it needs a
// database encoded in UTF8; elsewhere the names are sorted here, as without it.
QStringList createStatements();
bool canHold(CServerConnection& server);

// The orders these indexes keep (ascending, then the key).
std::span<const schema::IndexDef> indexes();

// Whether the connection's server folds names as this program does: it has the function
// this program would make. A program built with other Unicode tables makes another; with
// such a server, names are sorted here. Asked once per connection.
bool foldsAsThisProgram(CDatabase& db);

// The ORDER BY terms (the data layer's SQLite dialect) that put rows in the file's order
// of these text columns, then of the key, through the indexes above.
QString orderBy(std::span<const SortedKeyColumn> columns);

}  // namespace servernameorder
