#pragma once

#include <QStringList>

class CServerConnection;

// The contacts file's tables and stored queries on a team's PostgreSQL server, made from
// the same table definitions as the local file's (Schema.h), with what several users on one
// server need besides: a row version on every table (raised by a trigger on each update, so
// that a save can see that another user changed the row meanwhile), the server user who
// created each alarm, and a notification on the channel kChangeChannel after each committed
// write ("<table> <id> <INSERT|UPDATE|DELETE>").
//
// Texts compare, sort and group without regard to letter case, beyond ASCII too, through
// their columns' collation tarvex_nocase (ICU, letter case ignored, accents not), as the
// file's text columns do through theirs; plain indexes on the columns then serve "=", the
// sorts and DISTINCT. A nondeterministic collation refuses LIKE and regular expressions,
// so the engine's LIKE is the operator #~, a case-insensitive regular expression under a
// deterministic ICU collation. The collation's order is by language; the file's order of
// names comes from indexes of their folded texts (ServerNameOrder.h).
namespace serverschema {

// 1: the seven tables, four views, indexes, row versions, alarm creators and notifications.
// 2: the letter-case collation on text columns, and the LIKE operators.
// 3: LIKE through case-insensitive regular expressions; indexes in the lists' order.
// 4: LIKE's functions parallel safe.
// 5: the sync state of address books and calendars.
// 6: the known values kept ready in "KnownValue" (ServerKnownValues.h).
// 7: the known values' index in load order holds their texts.
// 8: names kept in the file's order by indexes of folded names (ServerNameOrder.h).
inline constexpr int kVersion = 8;
inline constexpr int kNameOrderVersion = 8;
// The oldest version the program still works with, for users who may not upgrade it.
inline constexpr int kOldestWorkingVersion = 2;

inline constexpr char kChangeChannel[] = "tarvex_changes";
// A transaction that sets this (SET LOCAL tarvex.bulk_copy = 'on') sends no notification
// per row; it announces each table as a whole ("<table> * COPY") itself.
inline constexpr char kBulkCopySetting[] = "tarvex.bulk_copy";

// The statements that create the schema at kVersion in an empty database.
QStringList createStatements();

// The oldest version that keeps what a sync with an address book or a calendar remembers.
inline constexpr int kSyncStateVersion = 5;

// The version of the schema in the connection's database: 0 when it has none.
int version(CServerConnection& server);

// Creates the schema in a database that has none, or brings an older one up to kVersion,
// inside the open transaction or else in one of its own. A user who may not create tables
// gets a CServerError that says so and whom to ask. Throws CServerError.
void ensure(CServerConnection& server);

// Throws a CServerError in plain words when the database holds no Tarvex schema.
void require(CServerConnection& server);

// The total number of rows in the seven tables.
qint64 rowCount(CServerConnection& server);

// A table or column name as a PostgreSQL identifier.
QString quoted(const QString& name);

}  // namespace serverschema
