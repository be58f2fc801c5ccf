#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

#include "data/SyncState.h"

class CDatabase;

// A record's values as a resource carries them, by field name; empty values left out.
using SyncFields = QMap<QString, QString>;

// A resource of a collection as the mapping reads it.
struct SyncResourceRecord {
    SyncTable table = SyncTable::Person;
    SyncFields fields;
    QString uid;
    // Fields the resource holds in a form no record can: they are neither taken from it nor
    // written back to it, so that the other side's value stays as it is.
    QSet<QString> unheld;
    // False for a resource that stands for no record (a task in a calendar): it is left as
    // it is on the server, and nothing here stands for it.
    bool standsForRecord = true;
};

// What the sync of one kind of collection needs to know: how its resources read as the
// fields of records and back, and how those records are read and written in the file.
class CSyncMapping {
public:
    virtual ~CSyncMapping() = default;

    // Requests and messages.
    virtual QString collectionName() const = 0;  // "address book", "calendar"
    virtual QByteArray multigetBody(const QStringList& hrefs) const = 0;
    virtual QByteArray contentType() const = 0;
    virtual QString fileExtension() const = 0;

    // The records.
    virtual QList<SyncTable> tables() const = 0;
    virtual QStringList fields(SyncTable table) const = 0;
    // Every record of the table by id, in one read on `db`. A record's fields may hold keys
    // that fields() does not name, for the mapping's own use. Runs off the user-interface
    // thread, on a connection of its own: it uses nothing but `db`.
    virtual QHash<qint64, SyncFields> readAll(CDatabase& db, SyncTable table) const = 0;
    // One record as it is now; nothing when it is gone.
    virtual std::optional<SyncFields> readOne(SyncTable table, qint64 id) const = 0;
    // Whether a record that no resource stands for yet goes to the server.
    virtual bool isSent(SyncTable, const SyncFields&) const { return true; }
    // Lets a record's fields that differ from the last synced ones only by what the record
    // does by itself (an alarm moving on to its next repetition) compare as unchanged.
    virtual void alignWithBase(SyncTable, SyncFields&, const SyncFields&) const {}
    virtual qint64 add(CSyncBatch& batch, SyncTable table, const SyncFields& fields) const = 0;
    virtual void update(CSyncBatch& batch, SyncTable table, qint64 id, const QStringList& changed,
                        const SyncFields& fields) const = 0;
    virtual void remove(CSyncBatch& batch, SyncTable table, qint64 id) const = 0;
    // How the record is named in a conflict.
    virtual QString nameOf(SyncTable table, const SyncFields& fields) const = 0;

    // The resources. read() also runs off the user-interface thread.
    virtual SyncResourceRecord read(const QByteArray& text) const = 0;
    virtual QString newUid(SyncTable table, qint64 id, const SyncFields& fields) const = 0;
    virtual QByteArray create(SyncTable table, const SyncFields& fields,
                              const QString& uid) const = 0;
    // `text` with the resource's `changed` fields taken from `fields`, everything else kept.
    virtual QByteArray patched(const QByteArray& text, SyncTable table, const SyncFields& fields,
                               const QSet<QString>& changed) const = 0;

    // The first meeting of the two sides: records that no resource stands for are offered,
    // and each resource new to this side takes the one it stands for, if any.
    virtual void clearPairing() = 0;
    virtual void offerForPairing(SyncTable table, const SyncFields& fields, qint64 id) = 0;
    virtual std::optional<qint64> takePair(const SyncResourceRecord& resource) = 0;
};
