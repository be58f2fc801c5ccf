#pragma once

#include <QStringList>
#include <span>

#include "data/FieldTypes.h"

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
// The statements (SQLite SQL) that create the tables, indexes and stored queries.
QStringList createStatements();

}  // namespace schema
