#pragma once

#include <QStringList>
#include <span>

#include "data/FieldTypes.h"

struct sqlite3;

// The seven tables and four stored queries of the database: the columns each record set
// binds (in binding order), the order in which the tables store them, and the SQL that
// creates them. The record sets and the schema both read these tables.
namespace schema {

extern const SourceDef Person;
extern const SourceDef Firm;
extern const SourceDef Group;
extern const SourceDef Contact;
extern const SourceDef Alarm;
extern const SourceDef Sharks;
extern const SourceDef Sharks2;

extern const SourceDef FirmFirmQuery;
extern const SourceDef PersonFirmQuery;
extern const SourceDef FirmPersonQuery;
extern const SourceDef PersonPersonQuery;

std::span<const SourceDef* const> tables();
std::span<const SourceDef* const> queries();

// A table's columns in stored order: `id` first, then the others.
QStringList tableColumns(const SourceDef& table);
// The type of one of a table's columns.
FieldType columnType(const SourceDef& table, const QString& column);

// An index behind the forms' sort orders and look-ups, and behind the known-value load,
// which asks for the distinct names of each of these columns.
struct IndexDef {
    const char* table;
    const char* first;
    const char* second;
};
std::span<const IndexDef> indexes();
// The index's name: the table and its columns joined by "_".
QString indexName(const IndexDef& index);
// The statements (SQLite SQL) that create the tables, indexes and stored queries, and
// record the schema version.
QStringList createStatements();

// What a sync account remembers beside the records, in tables of their own without an `id`:
// their names and columns in stored order.
struct SyncStateTable {
    const char* name;
    std::span<const char* const> columns;
};
std::span<const SyncStateTable> syncStateTables();

// The version of the stored schema that this program writes, kept in PRAGMA user_version.
// 1: the text indexes are ordered by the engine's built-in NOCASE, and every name column
// that the known-value load reads has an index. Files without a version were written
// with a replaced NOCASE, so their text indexes are in an order that no other SQLite
// client (nor this program now) reads correctly.
// 2: the tables SyncItem and SyncCollection keep the state of a CardDAV account.
inline constexpr int kSchemaVersion = 2;

// Brings a file opened for writing up to kSchemaVersion, once: rebuilds the indexes of a
// file without a version, adds the indexes it lacks and records the version. A file of a later
// version is left as it is. Throws CDbException.
void upgrade(sqlite3* handle);

}  // namespace schema
