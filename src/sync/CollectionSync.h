#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>

#include "data/BackgroundWorker.h"
#include "data/SyncState.h"
#include "data/SyncTurn.h"
#include "sync/DavClient.h"
#include "sync/FieldMerge.h"
#include "sync/SyncAccount.h"
#include "sync/SyncMapping.h"

class CDatabase;

// Two-way sync of one collection of the account with the records its mapping names: the
// persons and firms with an address book, or the alarms with a calendar. It runs on the
// thread that starts it without ever blocking it for long: every network step is the answer
// to a request; the reads of the sync state and of every record (to find what changed here)
// and the reading of the received resources run on a connection of their own off that
// thread; the writes go through the shared connection in batches of a few hundred
// resources, with the event loop running between them. The server's changes since the last
// sync (a sync-collection report with the stored token; where the server has no such report,
// nothing when the collection's ctag is the stored one, else the ETags of every resource)
// come in first and are written, the new token with the last batch; then what changed here
// goes out with conditional writes. A record changed on both sides is merged field by field
// against the resource as last synced; a 412 answer means the server's resource changed
// meanwhile, and the sync runs again to merge it. A request that fails stops the sync and
// deletes nothing: the next sync takes it up again.
class CCollectionSync : public QObject {
    Q_OBJECT
public:
    CCollectionSync(CDatabase& db, SyncAccount account, QUrl collection,
                    std::unique_ptr<CSyncMapping> mapping, QObject* parent = nullptr);
    ~CCollectionSync() override;

    // The sync of the account's address book, and of its calendar.
    static std::unique_ptr<CCollectionSync> forAddressBook(CDatabase& db, SyncAccount account);
    static std::unique_ptr<CCollectionSync> forCalendar(CDatabase& db, SyncAccount account);

    // Answers conflicts when the account says to ask; without it the server's value wins.
    void setConflictResolver(ConflictResolver resolver) { m_resolver = std::move(resolver); }
    void setTrustQuestion(CDavClient::TrustQuestion question);

    // Off, the server is treated as one without sync-collection reports.
    void setUseSyncReports(bool use) { m_useSyncReports = use; }
    // How many received or noted resources one write transaction takes at most.
    void setResourcesPerBatch(qsizetype count) { m_resourcesPerBatch = count; }
    // The requests sent so far.
    int requestCount() const { return m_client->requestCount(); }

    void start();
    bool isRunning() const { return m_running; }

signals:
    void progress(const QString& text);
    void finished(const SyncSummary& summary);

private:
    struct Upload {
        QString href, etag, uid;
        SyncTable table = SyncTable::Person;
        qint64 record = 0;
        SyncFields values;  // what the resource sent carries
        QByteArray card;    // none for a new resource: it is made from `values` when sent
        bool remove = false;
    };
    // What the merge made of one resource or one record: its writes, which go into one
    // transaction with its sync state, and what then goes to the server.
    struct Step {
        // The record here the step was worked out from; 0 for none.
        SyncTable table = SyncTable::Person;
        qint64 record = 0;
        QList<std::function<void(CSyncBatch&)>> writes;
        QList<Upload> uploads;
        int received = 0, deleted = 0;
    };
    // The records here and the received resources as read off the user-interface thread.
    struct Snapshot {
        QHash<SyncTable, QHash<qint64, SyncFields>> records;
        QList<SyncResourceRecord> fetched;  // in the order of m_fetched
        QStringList fetchedDigests;
        // The items whose records still give the values they were last synced with.
        QSet<QString> unchanged;
    };

    void round();
    void requestChanges(const QString& token);
    void compareCtag();
    void listAll();
    void changesArrived(const QList<DavResource>& resources, const QString& token, bool full);
    void fetchNext();
    void readOffThread(CBackgroundWorker::Job job);
    void reconcile();
    void merge(Snapshot snapshot);
    void writeNextBatch();
    void watchChanges();
    void endWatch();
    bool touchedMeanwhile(const Step& step) const;
    void sendNext();
    void uploadDone(const Upload& upload, const DavReply& reply);
    void flushUploaded();
    void stop(const QString& error);
    void finish();
    QString errorOf(const DavReply& reply, const QString& doing) const;
    QList<ConflictChoice> resolve(const QString& record, const QList<FieldConflict>& conflicts);
    QStringList columnsOf(SyncTable table, const QSet<QString>& unheld = {}) const;
    QString digestOf(SyncTable table, const SyncFields& values) const;

    CDatabase& m_db;
    SyncAccount m_account;
    QUrl m_collectionUrl;
    std::unique_ptr<CSyncMapping> m_mapping;
    QString m_collection;
    bool m_useSyncReports = true;
    std::unique_ptr<CDavClient> m_client;
    ConflictResolver m_resolver;
    bool m_running = false;
    CSyncTurn m_turn;  // held while running
    int m_rounds = 0;
    bool m_again = false;
    bool m_listAll = false;  // the ctag is not enough: a write found the server changed
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
    QList<Step> m_steps;
    qsizetype m_nextStep = 0;
    qsizetype m_resourcesPerBatch = 500;
    QTimer m_nextBatch;  // lets the event loop run before the next batch
    // Records others wrote since the round's read began: a step worked out from one of them
    // is left for the next round, and the token waits for that round.
    QMetaObject::Connection m_watch;
    QHash<SyncTable, QSet<qint64>> m_touched;
    bool m_touchedAll = false;
    bool m_writing = false;  // the round's own batch is committing
    bool m_skipped = false;

    // Declared last: destroyed first, so that no read is left running on the mapping.
    CBackgroundWorker m_reader;
};
