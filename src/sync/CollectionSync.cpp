#include "sync/CollectionSync.h"

#include <QCryptographicHash>
#include <QScopedValueRollback>

#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "sync/CardMapping.h"
#include "sync/EventMapping.h"

namespace {

constexpr qsizetype kFetchChunk = 100;
constexpr int kParallelUploads = 4;
constexpr qsizetype kUploadsPerBatch = 200;
// A 412 or a server that gives its changes in parts makes the sync run again, a few times
// at most: a server that keeps changing the same resources ends it.
constexpr int kMaxRounds = 3;

QByteArray xmlEscaped(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

QByteArray syncCollectionBody(const QString& token) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" +
           xmlEscaped(token) +
           "</d:sync-token><d:sync-level>1</d:sync-level>"
           "<d:prop><d:getetag/></d:prop></d:sync-collection>";
}

const QByteArray kEtagListBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<d:propfind xmlns:d=\"DAV:\" "
    "xmlns:cs=\"http://calendarserver.org/ns/\">"
    "<d:prop><d:getetag/><d:resourcetype/><cs:getctag/></d:prop>"
    "</d:propfind>";

bool isCollection(const DavResource& resource) {
    return resource.href.endsWith(u'/') ||
           resource.resourceTypes.contains(QStringLiteral("collection"));
}

// The columns whose values differ.
QSet<QString> changedColumns(const QStringList& columns, const SyncFields& a, const SyncFields& b) {
    QSet<QString> changed;
    for (const QString& column : columns)
        if (a.value(column) != b.value(column))
            changed.insert(column);
    return changed;
}

// The sync table of a table the change notifier names.
std::optional<SyncTable> syncTableNamed(const QString& table) {
    if (table.compare(u"Person", Qt::CaseInsensitive) == 0)
        return SyncTable::Person;
    if (table.compare(u"Firm", Qt::CaseInsensitive) == 0)
        return SyncTable::Firm;
    if (table.compare(u"Alarm", Qt::CaseInsensitive) == 0)
        return SyncTable::Alarm;
    return std::nullopt;
}

}  // namespace

CCollectionSync::CCollectionSync(CDatabase& db, SyncAccount account, QUrl collection,
                                 std::unique_ptr<CSyncMapping> mapping, QObject* parent)
    : QObject(parent),
      m_db(db),
      m_account(std::move(account)),
      m_collectionUrl(std::move(collection)),
      m_mapping(std::move(mapping)),
      m_collection(m_account.collectionKey(m_collectionUrl)),
      m_client(std::make_unique<CDavClient>(m_account.server, m_account.user, m_account.password)) {
    m_nextBatch.setSingleShot(true);
    m_nextBatch.setInterval(0);
    connect(&m_nextBatch, &QTimer::timeout, this, &CCollectionSync::writeNextBatch);
}

CCollectionSync::~CCollectionSync() = default;

std::unique_ptr<CCollectionSync> CCollectionSync::forAddressBook(CDatabase& db,
                                                                 SyncAccount account) {
    const QUrl url = account.addressbook;
    auto mapping = std::make_unique<CCardMapping>(db, account.cardVersion);
    return std::make_unique<CCollectionSync>(db, std::move(account), url, std::move(mapping));
}

std::unique_ptr<CCollectionSync> CCollectionSync::forCalendar(CDatabase& db, SyncAccount account) {
    const QUrl url = account.calendar;
    auto mapping = std::make_unique<CEventMapping>(db, account.collectionKey(url));
    return std::make_unique<CCollectionSync>(db, std::move(account), url, std::move(mapping));
}

void CCollectionSync::setTrustQuestion(CDavClient::TrustQuestion question) {
    m_client->setTrustQuestion(std::move(question));
}

QStringList CCollectionSync::columnsOf(SyncTable table, const QSet<QString>& unheld) const {
    QStringList columns = m_mapping->fields(table);
    if (!unheld.isEmpty())
        columns.removeIf([&unheld](const QString& column) { return unheld.contains(column); });
    return columns;
}

// The digest a sync item keeps of the values its resource gives.
QString CCollectionSync::digestOf(SyncTable table, const SyncFields& values) const {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& column : m_mapping->fields(table)) {
        hash.addData(values.value(column).toUtf8());
        hash.addData(QByteArrayView("\x1f", 1));
    }
    return QString::fromLatin1(hash.result().toHex());
}

void CCollectionSync::start() {
    if (m_running)
        return;
    m_summary = {};
    try {
        if (!m_turn.take(m_db, m_collection))
            m_summary.error = tr("Another client is syncing the %1 now, so nothing was "
                                 "synced. Sync again in a moment.")
                                  .arg(m_mapping->collectionName());
    } catch (const CDbException& e) {
        m_summary.error = e.description();
    }
    if (!m_summary.ok()) {
        emit finished(m_summary);
        return;
    }
    m_running = true;
    m_rounds = 0;
    m_listAll = false;
    round();
}

void CCollectionSync::round() {
    ++m_rounds;
    m_again = false;
    m_toFetch.clear();
    m_deletedOnServer.clear();
    m_fetched.clear();
    m_uploads.clear();
    m_uploaded.clear();
    m_nextUpload = 0;
    m_uploadsRunning = 0;
    m_newState = {};
    emit progress(tr("Sync: asking the server for changes"));
    // The sync state of every resource is read off this thread too: it holds their texts.
    readOffThread([this](CDatabase& db, const std::stop_token&) -> CBackgroundWorker::Delivery {
        auto items = std::make_shared<QHash<QString, SyncItem>>();
        const SyncCollectionState state = readSyncCollection(db, m_collection);
        for (SyncItem& item : readSyncItems(db, m_collection))
            items->insert(item.href, std::move(item));
        return [this, state, items] {
            if (!m_running)
                return;
            m_state = state;
            m_items = std::move(*items);
            requestChanges(m_state.token);
        };
    });
}

void CCollectionSync::readOffThread(CBackgroundWorker::Job job) {
    const QString path = m_db.GetName();
    // A server's password is not the connection's to give.
    const QString password = CDatabase::isServerAddress(path) ? currentPassword() : m_db.password();
    m_reader.start(path, password, std::move(job),
                   [this](const CDbException& e) { stop(e.description()); });
}

void CCollectionSync::requestChanges(const QString& token) {
    if (!m_useSyncReports) {
        compareCtag();
        return;
    }
    m_client->report(
        m_collectionUrl.toString(), 0, syncCollectionBody(token),
        [this, token](const DavReply& reply) {
            if (reply.ok()) {
                changesArrived(reply.resources, reply.syncToken, token.isEmpty());
            } else if (!token.isEmpty() &&
                       reply.preconditions.contains(QStringLiteral("valid-sync-token"))) {
                // The server forgot the token: everything is compared again.
                requestChanges(QString());
            } else if (!reply.networkFailed && (reply.status == 403 || reply.status == 400 ||
                                                reply.status == 405 || reply.status == 501)) {
                compareCtag();
            } else {
                stop(errorOf(reply, tr("asking for changes")));
            }
        });
}

void CCollectionSync::compareCtag() {
    // Without sync reports, the collection's ctag tells whether anything changed there, and
    // the ETags which resources.
    m_client->propfind(m_collectionUrl.toString(), 0, kEtagListBody, [this](const DavReply& reply) {
        if (!reply.ok()) {
            stop(errorOf(reply, tr("asking for changes")));
            return;
        }
        const QString ctag = reply.resources.value(0).ctag;
        if (!ctag.isEmpty() && ctag == m_state.ctag && !m_listAll) {
            m_newState.ctag = ctag;
            changesArrived({}, QString(), false);
        } else {
            listAll();
        }
    });
}

void CCollectionSync::listAll() {
    m_listAll = false;
    m_client->propfind(m_collectionUrl.toString(), 1, kEtagListBody, [this](const DavReply& reply) {
        if (!reply.ok()) {
            stop(errorOf(reply, tr("listing the %1").arg(m_mapping->collectionName())));
            return;
        }
        QString ctag;
        QList<DavResource> resources;
        for (const DavResource& resource : reply.resources) {
            if (isCollection(resource))
                ctag = resource.ctag;
            else
                resources << resource;
        }
        m_newState.ctag = ctag;
        changesArrived(resources, QString(), true);
    });
}

void CCollectionSync::changesArrived(const QList<DavResource>& resources, const QString& token,
                                     bool full) {
    m_newState.token = token;
    QSet<QString> listed;
    bool truncated = false;
    for (const DavResource& resource : resources) {
        if (isCollection(resource)) {
            // The server gave only part of the changes: the next round asks for the rest
            // with the token it gave, and what is missing from this part is not deleted.
            truncated = truncated || resource.status == 507;
            continue;
        }
        listed.insert(resource.href);
        const auto item = m_items.constFind(resource.href);
        if (resource.status == 404) {
            if (item != m_items.cend())
                m_deletedOnServer.insert(resource.href);
        } else if (item == m_items.cend() || item->card.isEmpty() || item->etag != resource.etag ||
                   resource.etag.isEmpty()) {
            m_toFetch << resource.href;
        }
    }
    m_again = m_again || truncated;
    if (full && !truncated)
        for (auto item = m_items.cbegin(); item != m_items.cend(); ++item)
            if (!listed.contains(item.key()) && !item->card.isEmpty())
                m_deletedOnServer.insert(item.key());
    fetchNext();
}

void CCollectionSync::fetchNext() {
    if (m_toFetch.isEmpty()) {
        reconcile();
        return;
    }
    emit progress(tr("Sync: receiving %1 from the %2")
                      .arg(m_toFetch.size())
                      .arg(m_mapping->collectionName()));
    const QStringList chunk = m_toFetch.mid(0, kFetchChunk);
    m_toFetch.remove(0, chunk.size());
    m_client->report(m_collectionUrl.toString(), 1, m_mapping->multigetBody(chunk),
                     [this](const DavReply& reply) {
                         if (!reply.ok()) {
                             stop(errorOf(reply, tr("receiving changes")));
                             return;
                         }
                         for (const DavResource& resource : reply.resources)
                             if (resource.status < 300 && !resource.data.isEmpty())
                                 m_fetched << resource;
                         fetchNext();
                     });
}

void CCollectionSync::reconcile() {
    const QList<SyncTable> tables = m_mapping->tables();
    emit progress(tr("Sync: comparing with this file"));
    watchChanges();
    readOffThread([this, tables, fetched = m_fetched, items = m_items](
                      CDatabase& db, const std::stop_token& stop) -> CBackgroundWorker::Delivery {
        auto snapshot = std::make_shared<Snapshot>();
        for (SyncTable table : tables)
            snapshot->records.insert(table, m_mapping->readAll(db, table));
        snapshot->fetched.reserve(fetched.size());
        snapshot->fetchedDigests.reserve(fetched.size());
        for (const DavResource& resource : fetched) {
            if (stop.stop_requested())
                return {};
            SyncResourceRecord record = m_mapping->read(resource.data);
            snapshot->fetchedDigests << digestOf(record.table, record.fields);
            snapshot->fetched << std::move(record);
        }
        for (const SyncItem& item : items) {
            if (stop.stop_requested())
                return {};
            const QHash<qint64, SyncFields>& records = snapshot->records[item.table];
            const auto local = records.constFind(item.record);
            if (!item.card.isEmpty() && !item.fields.isEmpty() && local != records.cend() &&
                digestOf(item.table, *local) == item.fields)
                snapshot->unchanged.insert(item.href);
        }
        return [this, snapshot] { merge(std::move(*snapshot)); };
    });
}

void CCollectionSync::watchChanges() {
    endWatch();
    m_touched.clear();
    m_touchedAll = false;
    m_skipped = false;
    m_watch = connect(
        &changeNotifier(), &CChangeNotifier::changed, this, [this](const DataChange& change) {
            if (m_writing)
                return;
            m_touchedAll = m_touchedAll || change.everything;
            for (const TableChange& table : change.tables) {
                const std::optional<SyncTable> kind = syncTableNamed(table.table);
                if (!kind)
                    continue;
                QSet<qint64>& ids = m_touched[*kind];
                for (const auto* list : {&table.inserted, &table.updated, &table.deleted})
                    ids.unite(QSet<qint64>(list->cbegin(), list->cend()));
            }
        });
}

void CCollectionSync::endWatch() {
    disconnect(m_watch);
    m_watch = {};
}

bool CCollectionSync::touchedMeanwhile(const Step& step) const {
    if (step.writes.isEmpty() || step.record == 0)
        return false;
    return m_touchedAll || m_touched.value(step.table).contains(step.record);
}

void CCollectionSync::merge(Snapshot snapshot) {
    if (!m_running)
        return;
    struct Local {
        SyncFields values;
        bool linked = false;
    };
    const QList<SyncTable> tables = m_mapping->tables();
    QHash<SyncTable, QHash<qint64, Local>> locals;
    for (SyncTable table : tables) {
        QHash<qint64, Local>& records = locals[table];
        const QHash<qint64, SyncFields> read = snapshot.records.take(table);
        records.reserve(read.size());
        for (auto record = read.cbegin(); record != read.cend(); ++record)
            records.insert(record.key(), {record.value(), false});
    }
    QHash<QString, QString> hrefByUid;
    for (const SyncItem& item : std::as_const(m_items)) {
        if (auto local = locals[item.table].find(item.record); local != locals[item.table].end())
            local->linked = true;
        if (!item.uid.isEmpty())
            hrefByUid.insert(item.uid, item.href);
    }
    m_mapping->clearPairing();
    for (SyncTable table : tables)
        for (auto local = locals[table].cbegin(); local != locals[table].cend(); ++local)
            if (!local->linked)
                m_mapping->offerForPairing(table, local->values, local.key());

    const QString collectionPath = m_collectionUrl.path();
    auto newHref = [&](const QString& uid) {
        return collectionPath + (collectionPath.endsWith(u'/') ? QString() : QStringLiteral("/")) +
               QString::fromUtf8(QUrl::toPercentEncoding(uid)) + m_mapping->fileExtension();
    };
    auto putItem = [](const SyncItem& item) {
        return [item](CSyncBatch& batch) { batch.putItem(item); };
    };
    auto removeItem = [](const QString& href) {
        return [href](CSyncBatch& batch) { batch.removeItem(href); };
    };
    auto removeRecord = [this](SyncTable table, qint64 id) {
        return [this, table, id](CSyncBatch& batch) { m_mapping->remove(batch, table, id); };
    };
    // Writes `values` where the record differs, and notes them as the record's.
    auto takeValues = [&](Step& step, SyncTable table, qint64 id, Local& local,
                          const SyncFields& values, const QStringList& columns) {
        const QSet<QString> changed = changedColumns(columns, local.values, values);
        if (changed.isEmpty())
            return;
        step.writes <<
            [this, table, id, values, changed = QStringList(changed.cbegin(), changed.cend())](
                CSyncBatch& batch) { m_mapping->update(batch, table, id, changed, values); };
        for (const QString& column : changed) {
            if (values.value(column).isEmpty())
                local.values.remove(column);
            else
                local.values.insert(column, values.value(column));
        }
        ++step.received;
    };

    m_steps.clear();
    m_nextStep = 0;
    QSet<QString> handled;
    for (qsizetype i = 0; i < m_fetched.size(); ++i) {
        const DavResource& resource = m_fetched[i];
        const SyncResourceRecord& server = snapshot.fetched[i];
        const SyncTable serverTable = server.table;
        Step step;
        auto item = m_items.find(resource.href);
        if (item == m_items.end() && !server.uid.isEmpty() && hrefByUid.contains(server.uid)) {
            // The server moved the resource: its state follows it.
            SyncItem moved = m_items.take(hrefByUid.value(server.uid));
            step.writes << removeItem(moved.href);
            moved.href = resource.href;
            item = m_items.insert(resource.href, moved);
        }
        handled.insert(resource.href);
        if (!server.standsForRecord) {
            // Kept with no record, so that it is neither fetched again nor deleted.
            const SyncItem kept{serverTable,   0,        resource.href, resource.etag, server.uid,
                                resource.data, QString()};
            step.writes << putItem(kept);
            m_items.insert(resource.href, kept);
            m_steps << std::move(step);
            continue;
        }
        if (!server.unheld.isEmpty())
            ++m_summary.keptOnServer;
        SyncItem updated;
        updated.href = resource.href;
        updated.etag = resource.etag;
        updated.uid = server.uid;
        updated.card = resource.data;
        updated.table = serverTable;
        updated.fields = snapshot.fetchedDigests[i];

        const QStringList columns = columnsOf(serverTable, server.unheld);
        Local* local = nullptr;
        qint64 id = 0;
        SyncFields base;
        if (item != m_items.end() && item->table == serverTable) {
            id = item->record;
            auto found = locals[serverTable].find(id);
            if (found != locals[serverTable].end())
                local = &*found;
            if (!item->card.isEmpty())
                base = m_mapping->read(item->card).fields;
            step.table = serverTable;
            step.record = id;
        } else if (item != m_items.end()) {
            // The other side made a person a firm or the reverse: a new record stands for it.
            step.writes << removeRecord(item->table, item->record);
            locals[item->table].remove(item->record);
            ++step.deleted;
            step.table = item->table;
            step.record = item->record;
        }
        if (!local && item == m_items.end()) {
            if (const std::optional<qint64> matched = m_mapping->takePair(server)) {
                id = *matched;
                local = &locals[serverTable][id];
                local->linked = true;
                step.table = serverTable;
                step.record = id;
            }
        }
        if (!local) {
            // New on the server, or deleted here but changed there: the change wins. The
            // record's id is known only once it is written.
            step.writes << [this, updated, values = server.fields](CSyncBatch& batch) {
                SyncItem added = updated;
                added.record = m_mapping->add(batch, added.table, values);
                batch.putItem(added);
            };
            ++step.received;
            m_items.insert(resource.href, updated);
            m_steps << std::move(step);
            continue;
        }
        if (!base.isEmpty())
            m_mapping->alignWithBase(serverTable, local->values, base);
        const bool changedHere = item == m_items.end() || item->card.isEmpty() ||
                                 !changedColumns(columns, local->values, base).isEmpty();
        if (!changedHere) {
            takeValues(step, serverTable, id, *local, server.fields, columns);
        } else {
            const MergeResult merged =
                mergeRecords(columns, base, local->values, server.fields,
                             m_mapping->nameOf(serverTable, local->values),
                             [this](const QString& record, const QList<FieldConflict>& conflicts) {
                                 return resolve(record, conflicts);
                             });
            m_summary.conflicts += merged.conflicts;
            takeValues(step, serverTable, id, *local, merged.values, columns);
            const QSet<QString> toSend = changedColumns(columns, merged.values, server.fields);
            if (!toSend.isEmpty())
                step.uploads.append(
                    {resource.href, resource.etag, server.uid, serverTable, id, merged.values,
                     m_mapping->patched(resource.data, serverTable, merged.values, toSend), false});
        }
        updated.record = id;
        step.writes << putItem(updated);
        m_items.insert(resource.href, updated);
        m_steps << std::move(step);
    }

    for (const QString& href : std::as_const(m_deletedOnServer)) {
        const SyncItem item = m_items.take(href);
        Step step{item.table, item.record, {removeItem(href)}, {}, 0, 0};
        auto local = locals[item.table].find(item.record);
        if (local != locals[item.table].end()) {
            const SyncResourceRecord base = m_mapping->read(item.card);
            m_mapping->alignWithBase(item.table, local->values, base.fields);
            if (changedColumns(columnsOf(item.table, base.unheld), local->values, base.fields)
                    .isEmpty()) {
                step.writes << removeRecord(item.table, item.record);
                ++step.deleted;
                locals[item.table].erase(local);
            } else {
                // Changed here since: it goes back to the server as a new resource.
                local->linked = false;
            }
        }
        m_steps << std::move(step);
    }

    for (const SyncItem& item : std::as_const(m_items)) {
        if (handled.contains(item.href) || item.record == 0)
            continue;
        Step step{item.table, item.record, {}, {}, 0, 0};
        const auto local = locals[item.table].find(item.record);
        if (local == locals[item.table].end()) {
            if (item.card.isEmpty())
                step.writes << removeItem(item.href);  // never reached the server
            else
                step.uploads.append(
                    {item.href, item.etag, item.uid, item.table, item.record, {}, {}, true});
        } else if (item.card.isEmpty()) {
            step.uploads.append({item.href, QString(), item.uid, item.table, item.record,
                                 local->values, QByteArray(), false});
        } else if (!snapshot.unchanged.contains(item.href)) {
            const SyncResourceRecord base = m_mapping->read(item.card);
            m_mapping->alignWithBase(item.table, local->values, base.fields);
            const QSet<QString> changed =
                changedColumns(columnsOf(item.table, base.unheld), local->values, base.fields);
            if (!changed.isEmpty())
                step.uploads.append(
                    {item.href, item.etag, item.uid, item.table, item.record, local->values,
                     m_mapping->patched(item.card, item.table, local->values, changed), false});
        }
        if (!step.writes.isEmpty() || !step.uploads.isEmpty())
            m_steps << std::move(step);
    }

    for (SyncTable table : tables)
        for (auto local = locals[table].cbegin(); local != locals[table].cend(); ++local) {
            if (local->linked || !m_mapping->isSent(table, local->values))
                continue;
            // Noted before it is sent, so that a sync cut short sends it again to the same
            // place instead of making a second resource.
            SyncItem item;
            item.table = table;
            item.record = local.key();
            item.uid = m_mapping->newUid(table, local.key(), local->values);
            item.href = newHref(item.uid);
            const Upload upload{item.href,   QString(),     item.uid,     table,
                                item.record, local->values, QByteArray(), false};
            m_steps << Step{table, item.record, {putItem(item)}, {upload}, 0, 0};
        }
    writeNextBatch();
}

void CCollectionSync::writeNextBatch() {
    if (!m_running)
        return;
    // An import holding the file's transaction open lets the event loop run: wait for its end.
    if (m_db.writeGate().isHeld()) {
        m_db.writeGate().whenFree(this, [this] { writeNextBatch(); });
        return;
    }
    const qsizetype end =
        std::min(m_nextStep + std::max<qsizetype>(m_resourcesPerBatch, 1), m_steps.size());
    const bool last = end == m_steps.size();
    if (!m_steps.isEmpty()) {
        emit progress(tr("Sync: writing %1 of %2").arg(end).arg(m_steps.size()));
        if (!m_running)
            return;
    }
    QList<Upload> uploads;
    int received = 0, deleted = 0;
    try {
        CSyncBatch batch(m_db, m_collection);
        for (qsizetype i = m_nextStep; i < end; ++i) {
            const Step& step = m_steps[i];
            if (touchedMeanwhile(step)) {
                // Worked out from what the record was before: the next round does it again.
                m_skipped = true;
                continue;
            }
            for (const auto& write : step.writes)
                write(batch);
            uploads << step.uploads;
            received += step.received;
            deleted += step.deleted;
        }
        if (last && !m_skipped && (!m_newState.token.isEmpty() || !m_newState.ctag.isEmpty()))
            batch.setCollection(m_newState);
        const QScopedValueRollback writing(m_writing, true);
        batch.Commit();
    } catch (const CDbException& e) {
        stop(e.description());
        return;
    }
    m_uploads << uploads;
    m_summary.received += received;
    m_summary.deleted += deleted;
    m_nextStep = end;
    if (!last) {
        // The event loop runs between the batches: the window follows and the user works on.
        m_nextBatch.start();
        return;
    }
    endWatch();
    m_steps.clear();
    m_nextStep = 0;
    m_again = m_again || m_skipped;
    sendNext();
}

QList<ConflictChoice> CCollectionSync::resolve(const QString& record,
                                               const QList<FieldConflict>& conflicts) {
    ConflictChoice all = ConflictChoice::Server;
    switch (m_account.conflict) {
        case SyncAccount::Conflict::Ask:
            if (m_resolver)
                return m_resolver(record, conflicts);
            break;
        case SyncAccount::Conflict::Local:
            all = ConflictChoice::Local;
            break;
        case SyncAccount::Conflict::Server:
            break;
    }
    return QList<ConflictChoice>(conflicts.size(), all);
}

void CCollectionSync::sendNext() {
    while (m_running && m_uploadsRunning < kParallelUploads && m_nextUpload < m_uploads.size()) {
        Upload upload = m_uploads[m_nextUpload++];
        // A new resource's text is made as it goes, not all at once in the merge.
        if (!upload.remove && upload.card.isEmpty())
            upload.card = m_mapping->create(upload.table, upload.values, upload.uid);
        ++m_uploadsRunning;
        emit progress(tr("Sync: sending %1 of %2").arg(m_nextUpload).arg(m_uploads.size()));
        auto done = [this, upload](const DavReply& reply) { uploadDone(upload, reply); };
        if (upload.remove)
            m_client->remove(upload.href, upload.etag, done);
        else
            m_client->put(upload.href, upload.card, m_mapping->contentType(), upload.etag, done);
    }
    if (m_running && m_uploadsRunning == 0 && m_nextUpload >= m_uploads.size())
        finish();
}

void CCollectionSync::uploadDone(const Upload& upload, const DavReply& reply) {
    --m_uploadsRunning;
    if (!m_running)
        return;
    if (reply.ok() || (upload.remove && reply.status == 404)) {
        m_uploaded.append({upload, reply.etag});
        if (m_uploaded.size() >= kUploadsPerBatch)
            flushUploaded();
    } else if (reply.status == 412) {
        // The resource changed on the server meanwhile: the next round merges it, and
        // looks at every ETag rather than trust the ctag.
        m_again = true;
        m_listAll = true;
    } else {
        flushUploaded();
        stop(errorOf(reply, upload.remove ? tr("deleting on the server") : tr("sending a change")));
        return;
    }
    sendNext();
}

void CCollectionSync::flushUploaded() {
    if (m_uploaded.isEmpty())
        return;
    if (m_db.writeGate().isHeld()) {
        m_db.writeGate().whenFree(this, [this] { flushUploaded(); });
        return;
    }
    const auto uploaded = std::exchange(m_uploaded, {});
    try {
        CSyncBatch batch(m_db, m_collection);
        for (const auto& [upload, etag] : uploaded) {
            if (upload.remove) {
                batch.removeItem(upload.href);
                ++m_summary.deleted;
                continue;
            }
            const SyncResourceRecord readBack = m_mapping->read(upload.card);
            batch.putItem({upload.table, upload.record, upload.href, etag, upload.uid, upload.card,
                           digestOf(upload.table, readBack.fields)});
            ++m_summary.sent;
            // The record takes the values as the resource reads back, so that both sides
            // agree; only if nobody changed it since it was sent.
            const QStringList columns = columnsOf(upload.table, readBack.unheld);
            const QSet<QString> differ = changedColumns(columns, readBack.fields, upload.values);
            if (differ.isEmpty())
                continue;
            const std::optional<SyncFields> now = m_mapping->readOne(upload.table, upload.record);
            if (now && changedColumns(columns, *now, upload.values).isEmpty())
                m_mapping->update(batch, upload.table, upload.record,
                                  QStringList(differ.cbegin(), differ.cend()), readBack.fields);
        }
        batch.Commit();
    } catch (const CDbException& e) {
        stop(e.description());
    }
}

void CCollectionSync::stop(const QString& error) {
    if (!m_running)
        return;
    m_summary.error = error;
    m_client->abortAll();
    m_reader.stop();
    m_nextBatch.stop();
    endWatch();
    m_steps.clear();
    m_running = false;
    m_turn.release();
    emit finished(m_summary);
}

void CCollectionSync::finish() {
    flushUploaded();
    if (!m_running)
        return;
    if (m_again && m_rounds < kMaxRounds) {
        round();
        return;
    }
    m_running = false;
    m_turn.release();
    emit progress(QString());
    emit finished(m_summary);
}

QString CCollectionSync::errorOf(const DavReply& reply, const QString& doing) const {
    const QString server = m_account.server.host();
    const QString collection = m_mapping->collectionName();
    if (reply.networkFailed)
        return tr("The server %1 could not be reached while %2: %3")
            .arg(server, doing, reply.errorText);
    switch (reply.status) {
        case 401:
            return tr("The server %1 did not accept the user name or password.").arg(server);
        case 403:
            return tr("The %1 on %2 cannot be written (read-only or no permission).")
                .arg(collection, server);
        case 404:
            return tr("The %1 was not found on %2.").arg(collection, server);
        case 507:
            return tr("The %1 on %2 is full.").arg(collection, server);
        default:
            return tr("The server %1 answered %2 while %3.")
                .arg(server)
                .arg(reply.status)
                .arg(doing);
    }
}
