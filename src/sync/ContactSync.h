#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <functional>
#include <memory>

#include "data/SyncState.h"
#include "exchange/ExchangeRecord.h"
#include "sync/DavClient.h"
#include "sync/FieldMerge.h"
#include "sync/SyncAccount.h"

class CDatabase;

// Two-way sync of the persons and firms with one CardDAV address book. It runs on the thread
// that starts it without ever blocking it: every step is the answer to a request. The server's
// changes since the last sync (a sync-collection report with the stored token, or the ETags
// of every card where the server has no such report) come in first and are written in one
// batch with the new token; then what changed here goes out with conditional writes. A
// record changed on both sides is merged field by field against the card as last synced; a
// 412 answer means the server's card changed meanwhile, and the sync runs again to merge it.
// A request that fails stops the sync and deletes nothing: the next sync takes it up again.
class CContactSync : public QObject {
    Q_OBJECT
public:
    CContactSync(CDatabase& db, SyncAccount account, QObject* parent = nullptr);
    ~CContactSync() override;

    // Answers conflicts when the account says to ask; without it the server's value wins.
    void setConflictResolver(ConflictResolver resolver) { m_resolver = std::move(resolver); }
    void setTrustQuestion(CDavClient::TrustQuestion question);

    void start();
    bool isRunning() const { return m_running; }

signals:
    void progress(const QString& text);
    void finished(const SyncSummary& summary);

private:
    struct Upload {
        QString href, etag, uid;
        ContactTable table = ContactTable::Person;
        qint64 record = 0;
        QMap<QString, QString> values;  // what the card sent carries
        QByteArray card;
        bool remove = false;
    };

    void round();
    void requestChanges(const QString& token);
    void listAllCards();
    void changesArrived(const QList<DavResource>& resources, const QString& token, bool full);
    void fetchNext();
    void reconcile();
    void reconcileNow();
    void sendNext();
    void uploadDone(const Upload& upload, const DavReply& reply);
    void flushUploaded();
    void stop(const QString& error);
    void finish();
    QString errorOf(const DavReply& reply, const QString& doing) const;
    QList<ConflictChoice> resolve(const QString& record, const QList<FieldConflict>& conflicts);

    CDatabase& m_db;
    SyncAccount m_account;
    QString m_collection;
    std::unique_ptr<CDavClient> m_client;
    ConflictResolver m_resolver;
    bool m_running = false;
    int m_rounds = 0;
    bool m_again = false;
    SyncSummary m_summary;

    // The round under way.
    SyncCollectionState m_state, m_newState;
    QHash<QString, SyncItem> m_items;  // by href
    QStringList m_toFetch;
    QSet<QString> m_deletedOnServer;
    QList<DavResource> m_fetched;
    QList<Upload> m_uploads;
    qsizetype m_nextUpload = 0;
    int m_uploadsRunning = 0;
    QList<QPair<Upload, QString>> m_uploaded;  // with the ETag the server gave
};
