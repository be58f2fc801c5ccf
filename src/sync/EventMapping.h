#pragma once

#include <QHash>

#include "sync/SyncMapping.h"

class CDatabase;

// Alarms as events of a calendar, with the iCalendar export's mapping: the subject as the
// summary, comment, person and firm in the description, the moment as floating local time
// and the repetition as a daily, monthly or yearly rule. Fields: name, comment, person, firm,
// moment ("YYYY-MM-DD HH:MM:SS") and repeat ("3", "4", "5" as the alarm status, none for an
// alarm that does not repeat). An event whose rule no alarm can hold keeps it: its repeat is
// neither taken nor written.
class CEventMapping : public CSyncMapping {
public:
    // `collection` is the calendar's key in the sync state.
    CEventMapping(CDatabase& db, QString collection)
        : m_db(db), m_collection(std::move(collection)) {}

    QString collectionName() const override;
    QByteArray multigetBody(const QStringList& hrefs) const override;
    QByteArray contentType() const override;
    QString fileExtension() const override;

    QList<SyncTable> tables() const override;
    QStringList fields(SyncTable table) const override;
    QHash<qint64, SyncFields> readAll(CDatabase& db, SyncTable table) const override;
    std::optional<SyncFields> readOne(SyncTable table, qint64 id) const override;
    bool isSent(SyncTable table, const SyncFields& fields) const override;
    void alignWithBase(SyncTable table, SyncFields& local, const SyncFields& base) const override;
    qint64 add(CSyncBatch& batch, SyncTable table, const SyncFields& fields) const override;
    void update(CSyncBatch& batch, SyncTable table, qint64 id, const QStringList& changed,
                const SyncFields& fields) const override;
    void remove(CSyncBatch& batch, SyncTable table, qint64 id) const override;
    QString nameOf(SyncTable table, const SyncFields& fields) const override;

    SyncResourceRecord read(const QByteArray& text) const override;
    QString newUid(SyncTable table, qint64 id, const SyncFields& fields) const override;
    QByteArray create(SyncTable table, const SyncFields& fields, const QString& uid) const override;
    QByteArray patched(const QByteArray& text, SyncTable table, const SyncFields& fields,
                       const QSet<QString>& changed) const override;

    void clearPairing() override;
    void offerForPairing(SyncTable table, const SyncFields& fields, qint64 id) override;
    std::optional<qint64> takePair(const SyncResourceRecord& resource) override;

private:
    CDatabase& m_db;
    QString m_collection;
    // Alarms no event stands for yet: by the UID an export gives them, and by moment and
    // subject.
    QHash<QString, qint64> m_byUid;
    QMultiHash<QString, qint64> m_byMoment;
    QHash<qint64, QString> m_uidOf, m_momentOf;
};
