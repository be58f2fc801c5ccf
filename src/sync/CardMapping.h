#pragma once

#include "exchange/VCardWriter.h"
#include "sync/FirstSyncMatch.h"
#include "sync/SyncMapping.h"

class CDatabase;

// Persons and firms as vCards of an address book, with the exchange mapping: a firm is a
// card of KIND:org, or with ORG and no name. A card this side rewrites keeps every property
// the mapping has no column for.
class CCardMapping : public CSyncMapping {
public:
    CCardMapping(CDatabase& db, VCardVersion version) : m_db(db), m_version(version) {}

    QString collectionName() const override;
    QByteArray multigetBody(const QStringList& hrefs) const override;
    QByteArray contentType() const override;
    QString fileExtension() const override;

    QList<SyncTable> tables() const override;
    QStringList fields(SyncTable table) const override;
    QHash<qint64, SyncFields> readAll(CDatabase& db, SyncTable table) const override;
    std::optional<SyncFields> readOne(SyncTable table, qint64 id) const override;
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
    VCardVersion m_version;
    std::optional<CFirstSyncMatch> m_match{std::in_place};
};
