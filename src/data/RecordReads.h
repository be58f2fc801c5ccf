#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <span>
#include <vector>

class CDatabase;

// Reads of a table's records by id, for a tool that finds records and shows a line of each:
// which records meet a condition and what some of their columns hold. Conditions are in the
// engine's dialect, as a record set's filter. Every failure throws CDbException.

// The largest id of the table; 0 when it has no record.
qint64 lastRecordId(CDatabase& db, const QString& table);

// The ids of the table's records that meet the condition, in id order; only those with ids
// from `firstId` to `lastId` (both included) when these are given.
struct IdRange {
    qint64 firstId = 0;
    qint64 lastId = 0;
    bool all() const { return firstId == 0 && lastId == 0; }
};
std::vector<qint32> recordIdsWhere(CDatabase& db, const QString& table, const QString& condition,
                                   IdRange range = {});

// Of these ids, those whose records exist and meet the condition, in id order.
std::vector<qint32> recordIdsAmong(CDatabase& db, const QString& table, const QString& condition,
                                   std::span<const qint32> ids);

// The texts of the columns (plain names) of the records with these ids, by id, one text per
// column in the order given (a null gives an empty text); an id without a record is absent.
QHash<qint32, QStringList> readRecordTexts(CDatabase& db, const QString& table,
                                           const QStringList& columns, std::span<const qint32> ids);

// Calls `row` with the id and the texts of the columns (plain names; a null gives an empty
// text) of every record of the table, in id order: one pass of the engine.
void forEachRecordTexts(CDatabase& db, const QString& table, const QStringList& columns,
                        const std::function<void(qint32 id, const QStringList& texts)>& row);
