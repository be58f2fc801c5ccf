#include "data/SyncState.h"

#include <initializer_list>

#include "data/Database.h"
#include "data/FileDamage.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"

namespace {

QString quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString tableName(ContactTable table) {
    return table == ContactTable::Firm ? QStringLiteral("\"Firm\"") : QStringLiteral("\"Person\"");
}

CDatabase& undamaged(CDatabase& db) {
    if (filedamage::isDamaged())
        throw filedamage::refusedWrite();
    return db;
}

QVariant nullWhenEmpty(const QString& value) {
    return value.isEmpty() ? QVariant() : QVariant(value);
}

// Binds name, date, time, status, person, firm and description, in that order.
void bindAlarm(CStatement& statement, const CAlarmEntry& alarm) {
    const QString moment = toStoredDateTime(wallClock(alarm.date, alarm.time));
    statement.bind(1, nullWhenEmpty(alarm.subject));
    statement.bind(2, nullWhenEmpty(moment));
    statement.bind(3, nullWhenEmpty(moment));
    statement.bind(4, alarm.status);
    statement.bind(5, nullWhenEmpty(alarm.person));
    statement.bind(6, nullWhenEmpty(alarm.firm));
    statement.bind(7, nullWhenEmpty(alarm.comment));
}

// An insert that replaces the row of the same key: the file's engine knows no upsert, and
// the server knows no INSERT OR REPLACE. Values are bound in the order of `keys`, then
// `others`.
QString replacingInsert(const CDatabase& db, const char* table,
                        std::initializer_list<const char*> keys,
                        std::initializer_list<const char*> others) {
    QStringList names, marks, keyNames, updates;
    for (const char* key : keys) {
        keyNames << quoted(QLatin1String(key));
        names << keyNames.last();
    }
    for (const char* other : others) {
        names << quoted(QLatin1String(other));
        updates << names.last() + QStringLiteral(" = excluded.") + names.last();
    }
    for (qsizetype i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    const QString into =
        QStringLiteral("INTO %1 (%2) VALUES (%3)")
            .arg(quoted(QLatin1String(table)), names.join(u", "), marks.join(u", "));
    if (!db.isServer())
        return QStringLiteral("INSERT OR REPLACE ") + into;
    return QStringLiteral("INSERT %1 ON CONFLICT (%2) DO UPDATE SET %3")
        .arg(into, keyNames.join(u", "), updates.join(u", "));
}

}  // namespace

QList<SyncItem> readSyncItems(CDatabase& db, const QString& collection) {
    CStatement statement(db, QStringLiteral("SELECT \"kind\", \"record\", \"href\", \"etag\", "
                                            "\"uid\", \"card\", \"fields\" FROM \"SyncItem\" "
                                            "WHERE \"collection\" = ?"));
    statement.bind(1, collection);
    QList<SyncItem> items;
    while (statement.step()) {
        SyncItem item;
        const qint64 kind = statement.int64(0);
        item.table = kind == 1 ? SyncTable::Firm : kind == 2 ? SyncTable::Alarm : SyncTable::Person;
        item.record = statement.int64(1);
        item.href = statement.text(2);
        item.etag = statement.text(3);
        item.uid = statement.text(4);
        item.card = statement.text(5).toUtf8();
        item.fields = statement.text(6);
        items << std::move(item);
    }
    return items;
}

SyncCollectionState readSyncCollection(CDatabase& db, const QString& collection) {
    CStatement statement(db, QStringLiteral("SELECT \"token\", \"ctag\" FROM \"SyncCollection\" "
                                            "WHERE \"collection\" = ?"));
    statement.bind(1, collection);
    SyncCollectionState state;
    if (statement.step()) {
        state.token = statement.text(0);
        state.ctag = statement.text(1);
    }
    return state;
}

QList<QMap<QString, QString>> readContactsWithIds(CDatabase& db, ContactTable table,
                                                  const QStringList& columns) {
    QStringList names{QStringLiteral("\"id\"")};
    for (const QString& column : columns)
        names << quoted(column);
    CStatement statement(
        db, QStringLiteral("SELECT %1 FROM %2").arg(names.join(u", "), tableName(table)));
    QList<QMap<QString, QString>> rows;
    while (statement.step()) {
        QMap<QString, QString> row{{QStringLiteral("id"), statement.text(0)}};
        for (qsizetype i = 0; i < columns.size(); ++i)
            if (const QString value = statement.text(int(i) + 1); !value.isEmpty())
                row.insert(columns[i], value);
        rows << std::move(row);
    }
    return rows;
}

CSyncBatch::CSyncBatch(CDatabase& db, QString collection)
    : m_db(undamaged(db)),
      m_collection(std::move(collection)),
      m_hold(db.writeGate()),
      m_transaction(db) {}

qint64 CSyncBatch::addRecord(ContactTable table, const QMap<QString, QString>& values) {
    requireUndamaged();
    QStringList names, marks;
    for (auto value = values.cbegin(); value != values.cend(); ++value) {
        names << quoted(value.key());
        marks << QStringLiteral("?");
    }
    CStatement insert(m_db,
                      names.isEmpty()
                          ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tableName(table))
                          : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(tableName(table), names.join(u", "), marks.join(u", ")));
    int index = 1;
    for (const QString& value : values)
        insert.bind(index++, nullWhenEmpty(value));
    insert.execute();
    return m_db.lastInsertId();
}

void CSyncBatch::updateRecord(ContactTable table, qint64 id, const QStringList& columns,
                              const QMap<QString, QString>& values) {
    if (columns.isEmpty())
        return;
    requireUndamaged();
    QStringList sets;
    for (const QString& column : columns)
        sets << quoted(column) + QStringLiteral(" = ?");
    CStatement update(m_db, QStringLiteral("UPDATE %1 SET %2 WHERE \"id\" = ?")
                                .arg(tableName(table), sets.join(u", ")));
    int index = 1;
    for (const QString& column : columns)
        update.bind(index++, nullWhenEmpty(values.value(column)));
    update.bind(index, id);
    update.execute();
}

void CSyncBatch::deleteRecord(ContactTable table, qint64 id) {
    requireUndamaged();
    CStatement remove(m_db,
                      QStringLiteral("DELETE FROM %1 WHERE \"id\" = ?").arg(tableName(table)));
    remove.bind(1, id);
    remove.execute();
}

qint64 CSyncBatch::addAlarm(const CAlarmEntry& alarm) {
    requireUndamaged();
    CStatement insert(m_db, QStringLiteral("INSERT INTO \"Alarm\" (\"name\", \"date\", \"time\", "
                                           "\"status\", \"person\", \"firm\", \"description\") "
                                           "VALUES (?, ?, ?, ?, ?, ?, ?)"));
    bindAlarm(insert, alarm);
    insert.execute();
    return m_db.lastInsertId();
}

void CSyncBatch::updateAlarm(const CAlarmEntry& alarm) {
    requireUndamaged();
    CStatement update(m_db, QStringLiteral("UPDATE \"Alarm\" SET \"name\" = ?, \"date\" = ?, "
                                           "\"time\" = ?, \"status\" = ?, \"person\" = ?, "
                                           "\"firm\" = ?, \"description\" = ? WHERE \"id\" = ?"));
    bindAlarm(update, alarm);
    update.bind(8, alarm.id);
    update.execute();
}

void CSyncBatch::deleteAlarm(qint64 id) {
    requireUndamaged();
    CStatement remove(m_db, QStringLiteral("DELETE FROM \"Alarm\" WHERE \"id\" = ?"));
    remove.bind(1, id);
    remove.execute();
}

void CSyncBatch::putItem(const SyncItem& item) {
    requireUndamaged();
    CStatement put(m_db, replacingInsert(m_db, "SyncItem", {"collection", "href"},
                                         {"kind", "record", "etag", "uid", "card", "fields"}));
    put.bind(1, m_collection);
    put.bind(2, item.href);
    put.bind(3, int(item.table));
    put.bind(4, item.record);
    put.bind(5, item.etag);
    put.bind(6, item.uid);
    put.bind(7, QString::fromUtf8(item.card));
    put.bind(8, item.fields);
    put.execute();
}

void CSyncBatch::removeItem(const QString& href) {
    requireUndamaged();
    CStatement remove(m_db, QStringLiteral("DELETE FROM \"SyncItem\" WHERE \"collection\" = ? "
                                           "AND \"href\" = ?"));
    remove.bind(1, m_collection);
    remove.bind(2, href);
    remove.execute();
}

void CSyncBatch::setCollection(const SyncCollectionState& state) {
    requireUndamaged();
    CStatement put(m_db,
                   replacingInsert(m_db, "SyncCollection", {"collection"}, {"token", "ctag"}));
    put.bind(1, m_collection);
    put.bind(2, state.token);
    put.bind(3, state.ctag);
    put.execute();
}

void CSyncBatch::forgetCollection() {
    requireUndamaged();
    for (const char* table : {"SyncItem", "SyncCollection"}) {
        CStatement remove(m_db, QStringLiteral("DELETE FROM \"%1\" WHERE \"collection\" = ?")
                                    .arg(QLatin1String(table)));
        remove.bind(1, m_collection);
        remove.execute();
    }
}

void CSyncBatch::Commit() {
    requireUndamaged();
    m_transaction.Commit();
}

void CSyncBatch::requireUndamaged() const {
    if (filedamage::isDamaged())
        throw filedamage::refusedWrite();
}
