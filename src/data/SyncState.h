#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include "data/CalendarAlarms.h"
#include "data/ContactRows.h"
#include "data/Transaction.h"
#include "data/WriteGate.h"

class CDatabase;

// The kind of record a resource of a sync collection stands for.
enum class SyncTable { Person, Firm, Alarm };

// One resource of a sync collection (a card, or an event) and the record it stands for:
// where it lives on the server, its ETag and UID, and its text as it was when both sides
// last agreed.
struct SyncItem {
    SyncTable table = SyncTable::Person;
    qint64 record = 0;  // 0 for a resource that stands for no record, such as a task
    QString href, etag, uid;
    QByteArray card;
    // A digest of the record's values as that card gives them: a record whose values still
    // give it has not changed here, without reading the card again.
    QString fields;
};

// What a collection told at the last sync that completed: its sync token and ctag.
struct SyncCollectionState {
    QString token, ctag;
};

// Every item of the collection, in one read.
QList<SyncItem> readSyncItems(CDatabase& db, const QString& collection);
SyncCollectionState readSyncCollection(CDatabase& db, const QString& collection);

// Every person or firm with its id (as "id") and the values of `columns`; empty values left
// out. One read of the table.
QList<QMap<QString, QString>> readContactsWithIds(CDatabase& db, ContactTable table,
                                                  const QStringList& columns);

// The writes of one step of a sync in one transaction: records and their sync state go
// together or not at all. A damaged file is never written, the write gate is held while the
// batch is open, and a batch destroyed without Commit() is rolled back. Every failure throws
// CDbException.
class CSyncBatch {
public:
    CSyncBatch(CDatabase& db, QString collection);
    CSyncBatch(const CSyncBatch&) = delete;
    CSyncBatch& operator=(const CSyncBatch&) = delete;

    // Adds a record from values by column name and gives its id.
    qint64 addRecord(ContactTable table, const QMap<QString, QString>& values);
    // Sets each of `columns` to its value in `values` (null when missing).
    void updateRecord(ContactTable table, qint64 id, const QStringList& columns,
                      const QMap<QString, QString>& values);
    void deleteRecord(ContactTable table, qint64 id);

    // Adds an alarm (its moment goes to both the day and the time of day) and gives its id.
    qint64 addAlarm(const CAlarmEntry& alarm);
    // Sets every column of the alarm `alarm.id`.
    void updateAlarm(const CAlarmEntry& alarm);
    void deleteAlarm(qint64 id);

    void putItem(const SyncItem& item);
    void removeItem(const QString& href);
    void setCollection(const SyncCollectionState& state);
    // Forgets every item and the token of the collection: the next sync starts afresh.
    void forgetCollection();

    void Commit();

private:
    void requireUndamaged() const;

    CDatabase& m_db;
    QString m_collection;
    CWriteGate::Hold m_hold;
    CTransaction m_transaction;
};
