#include "sync/ContactSync.h"

#include <QCryptographicHash>
#include <QUuid>

#include "data/Database.h"
#include "data/DbException.h"
#include "exchange/CsvWriter.h"
#include "sync/CardText.h"
#include "sync/FirstSyncMatch.h"

namespace {

constexpr qsizetype kFetchChunk = 100;
constexpr int kParallelUploads = 4;
constexpr qsizetype kUploadsPerBatch = 200;
// A 412 or a server that gives its changes in parts makes the sync run again, a few times
// at most: a server that keeps changing the same cards ends it.
constexpr int kMaxRounds = 3;
const QByteArray kVCardType = "text/vcard; charset=utf-8";

using Kind = CExchangeRecord::Kind;

Kind kindOf(ContactTable table) {
    return table == ContactTable::Firm ? Kind::Firm : Kind::Person;
}

ContactTable tableOf(Kind kind) {
    return kind == Kind::Firm ? ContactTable::Firm : ContactTable::Person;
}

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

QByteArray multigetBody(const QStringList& hrefs) {
    QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<c:addressbook-multiget xmlns:d=\"DAV:\" "
        "xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
        "<d:prop><d:getetag/><c:address-data/></d:prop>";
    for (const QString& href : hrefs)
        body += "<d:href>" + xmlEscaped(href) + "</d:href>";
    return body + "</c:addressbook-multiget>";
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

QString nameOf(const CExchangeRecord& record) {
    if (record.kind == Kind::Firm)
        return record.value(QStringLiteral("name"));
    return QStringList{record.value(QStringLiteral("firstname")),
                       record.value(QStringLiteral("lastname"))}
        .join(u' ')
        .trimmed();
}

QMap<QString, QString> withoutId(QMap<QString, QString> row) {
    row.remove(QStringLiteral("id"));
    return row;
}

// The columns whose values differ.
QSet<QString> changedColumns(const QStringList& columns, const QMap<QString, QString>& a,
                             const QMap<QString, QString>& b) {
    QSet<QString> changed;
    for (const QString& column : columns)
        if (a.value(column) != b.value(column))
            changed.insert(column);
    return changed;
}

QStringList columnsOf(ContactTable table) {
    return csvColumns(kindOf(table));
}

// The digest a sync item keeps of the values its card gives.
QString digestOf(ContactTable table, const QMap<QString, QString>& values) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& column : columnsOf(table)) {
        hash.addData(values.value(column).toUtf8());
        hash.addData(QByteArrayView("\x1f", 1));
    }
    return QString::fromLatin1(hash.result().toHex());
}

}  // namespace

CContactSync::CContactSync(CDatabase& db, SyncAccount account, QObject* parent)
    : QObject(parent),
      m_db(db),
      m_account(std::move(account)),
      m_collection(m_account.collectionKey()),
      m_client(std::make_unique<CDavClient>(m_account.server, m_account.user, m_account.password)) {
}

CContactSync::~CContactSync() = default;

void CContactSync::setTrustQuestion(CDavClient::TrustQuestion question) {
    m_client->setTrustQuestion(std::move(question));
}

void CContactSync::start() {
    if (m_running)
        return;
    m_running = true;
    m_rounds = 0;
    m_summary = {};
    round();
}

void CContactSync::round() {
    ++m_rounds;
    m_again = false;
    m_toFetch.clear();
    m_deletedOnServer.clear();
    m_fetched.clear();
    m_uploads.clear();
    m_uploaded.clear();
    m_nextUpload = 0;
    m_uploadsRunning = 0;
    try {
        m_state = readSyncCollection(m_db, m_collection);
        m_items.clear();
        for (SyncItem& item : readSyncItems(m_db, m_collection))
            m_items.insert(item.href, std::move(item));
    } catch (const CDbException& e) {
        stop(e.description());
        return;
    }
    emit progress(tr("Sync: asking the server for changes"));
    requestChanges(m_state.token);
}

void CContactSync::requestChanges(const QString& token) {
    m_client->report(
        m_account.addressbook.toString(), 0, syncCollectionBody(token),
        [this, token](const DavReply& reply) {
            if (reply.ok()) {
                changesArrived(reply.resources, reply.syncToken, token.isEmpty());
            } else if (!token.isEmpty() &&
                       reply.preconditions.contains(QStringLiteral("valid-sync-token"))) {
                // The server forgot the token: everything is compared again.
                requestChanges(QString());
            } else if (!reply.networkFailed && (reply.status == 403 || reply.status == 400 ||
                                                reply.status == 405 || reply.status == 501)) {
                listAllCards();
            } else {
                stop(errorOf(reply, tr("asking for changes")));
            }
        });
}

void CContactSync::listAllCards() {
    // Without sync reports, the collection's ctag tells whether anything changed, and the
    // ETags which cards.
    m_client->propfind(m_account.addressbook.toString(), 1, kEtagListBody,
                       [this](const DavReply& reply) {
                           if (!reply.ok()) {
                               stop(errorOf(reply, tr("listing the address book")));
                               return;
                           }
                           QString ctag;
                           QList<DavResource> cards;
                           for (const DavResource& resource : reply.resources) {
                               if (isCollection(resource))
                                   ctag = resource.ctag;
                               else
                                   cards << resource;
                           }
                           m_newState.ctag = ctag;
                           changesArrived(cards, QString(), true);
                       });
}

void CContactSync::changesArrived(const QList<DavResource>& resources, const QString& token,
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

void CContactSync::fetchNext() {
    if (m_toFetch.isEmpty()) {
        reconcile();
        return;
    }
    emit progress(tr("Sync: receiving %1 cards").arg(m_toFetch.size()));
    const QStringList chunk = m_toFetch.mid(0, kFetchChunk);
    m_toFetch.remove(0, chunk.size());
    m_client->report(m_account.addressbook.toString(), 1, multigetBody(chunk),
                     [this](const DavReply& reply) {
                         if (!reply.ok()) {
                             stop(errorOf(reply, tr("receiving cards")));
                             return;
                         }
                         for (const DavResource& resource : reply.resources)
                             if (resource.status < 300 && !resource.data.isEmpty())
                                 m_fetched << resource;
                         fetchNext();
                     });
}

void CContactSync::reconcile() {
    // An import holding the file's transaction open lets the event loop run: wait for its end.
    if (m_db.writeGate().isHeld())
        m_db.writeGate().whenFree(this, [this] { reconcile(); });
    else
        reconcileNow();
}

void CContactSync::reconcileNow() {
    struct Local {
        QMap<QString, QString> values;
        bool linked = false;
    };
    try {
        CSyncBatch batch(m_db, m_collection);
        QHash<qint64, Local> locals[2];
        for (ContactTable table : {ContactTable::Person, ContactTable::Firm})
            for (QMap<QString, QString>& row : readContactsWithIds(m_db, table, columnsOf(table))) {
                const qint64 id = row.value(QStringLiteral("id")).toLongLong();
                locals[int(table)].insert(id, {withoutId(std::move(row)), false});
            }
        QHash<QString, QString> hrefByUid;
        for (const SyncItem& item : std::as_const(m_items)) {
            if (auto local = locals[int(item.table)].find(item.record);
                local != locals[int(item.table)].end())
                local->linked = true;
            if (!item.uid.isEmpty())
                hrefByUid.insert(item.uid, item.href);
        }
        CFirstSyncMatch match;
        for (ContactTable table : {ContactTable::Person, ContactTable::Firm})
            for (auto local = locals[int(table)].cbegin(); local != locals[int(table)].cend();
                 ++local)
                if (!local->linked)
                    match.add({kindOf(table), local->values, 0}, local.key());

        const QString collectionPath = m_account.addressbook.path();
        auto newHref = [&collectionPath](const QString& uid) {
            return collectionPath +
                   (collectionPath.endsWith(u'/') ? QString() : QStringLiteral("/")) + uid +
                   QStringLiteral(".vcf");
        };
        // Writes `values` where the record differs, and notes the card as the new base.
        auto takeValues = [&](ContactTable table, qint64 id, Local& local,
                              const QMap<QString, QString>& values) {
            const QStringList columns = columnsOf(table);
            const QSet<QString> changed = changedColumns(columns, local.values, values);
            if (!changed.isEmpty()) {
                batch.updateRecord(table, id, QStringList(changed.cbegin(), changed.cend()),
                                   values);
                local.values = values;
                ++m_summary.received;
            }
        };

        QSet<QString> handled;
        for (const DavResource& card : std::as_const(m_fetched)) {
            const CExchangeRecord server = cardtext::recordOf(card.data);
            const ContactTable serverTable = tableOf(server.kind);
            const QString uid = cardtext::uidOf(card.data);
            auto item = m_items.find(card.href);
            if (item == m_items.end() && !uid.isEmpty() && hrefByUid.contains(uid)) {
                // The server moved the card: its state follows it.
                SyncItem moved = m_items.take(hrefByUid.value(uid));
                batch.removeItem(moved.href);
                moved.href = card.href;
                item = m_items.insert(card.href, moved);
            }
            handled.insert(card.href);
            SyncItem updated;
            updated.href = card.href;
            updated.etag = card.etag;
            updated.uid = uid;
            updated.card = card.data;
            updated.table = serverTable;

            Local* local = nullptr;
            qint64 id = 0;
            QMap<QString, QString> base;
            if (item != m_items.end() && item->table == serverTable) {
                id = item->record;
                auto found = locals[int(serverTable)].find(id);
                if (found != locals[int(serverTable)].end())
                    local = &*found;
                if (!item->card.isEmpty())
                    base = cardtext::recordOf(item->card).values;
            } else if (item != m_items.end()) {
                // The other side made a person a firm or the reverse: a new record stands for it.
                batch.deleteRecord(item->table, item->record);
                ++m_summary.deleted;
            }
            if (!local && item == m_items.end()) {
                if (const std::optional<qint64> matched = match.take(server)) {
                    id = *matched;
                    local = &locals[int(serverTable)][id];
                    local->linked = true;
                }
            }
            if (!local) {
                // New on the server, or deleted here but changed there: the change wins.
                id = batch.addRecord(serverTable, server.values);
                locals[int(serverTable)].insert(id, {server.values, true});
                ++m_summary.received;
            } else {
                const QStringList columns = columnsOf(serverTable);
                const bool changedHere = item == m_items.end() || item->card.isEmpty() ||
                                         !changedColumns(columns, local->values, base).isEmpty();
                if (!changedHere) {
                    takeValues(serverTable, id, *local, server.values);
                } else {
                    const MergeResult merged = mergeRecords(
                        columns, base, local->values, server.values,
                        nameOf({serverTable == ContactTable::Firm ? Kind::Firm : Kind::Person,
                                local->values, 0}),
                        [this](const QString& record, const QList<FieldConflict>& conflicts) {
                            return resolve(record, conflicts);
                        });
                    m_summary.conflicts += merged.conflicts;
                    takeValues(serverTable, id, *local, merged.values);
                    const QSet<QString> toSend =
                        changedColumns(columns, merged.values, server.values);
                    if (!toSend.isEmpty()) {
                        CExchangeRecord record{server.kind, merged.values, 0};
                        m_uploads.append({card.href, card.etag, uid, serverTable, id, merged.values,
                                          cardtext::patched(card.data, record, toSend), false});
                    }
                }
            }
            updated.record = id;
            updated.fields = digestOf(serverTable, server.values);
            batch.putItem(updated);
            m_items.insert(card.href, updated);
        }

        for (const QString& href : std::as_const(m_deletedOnServer)) {
            const SyncItem item = m_items.take(href);
            batch.removeItem(href);
            auto local = locals[int(item.table)].find(item.record);
            if (local == locals[int(item.table)].end())
                continue;
            const QMap<QString, QString> base = cardtext::recordOf(item.card).values;
            if (changedColumns(columnsOf(item.table), local->values, base).isEmpty()) {
                batch.deleteRecord(item.table, item.record);
                locals[int(item.table)].erase(local);
                ++m_summary.deleted;
            } else {
                // Changed here since: it goes back to the server as a new card.
                local->linked = false;
            }
        }

        for (const SyncItem& item : std::as_const(m_items)) {
            if (handled.contains(item.href))
                continue;
            const auto local = locals[int(item.table)].constFind(item.record);
            if (local == locals[int(item.table)].cend()) {
                if (item.card.isEmpty())
                    batch.removeItem(item.href);  // never reached the server
                else
                    m_uploads.append(
                        {item.href, item.etag, item.uid, item.table, item.record, {}, {}, true});
                continue;
            }
            const CExchangeRecord record{kindOf(item.table), local->values, 0};
            if (item.card.isEmpty()) {
                m_uploads.append(
                    {item.href, QString(), item.uid, item.table, item.record, local->values,
                     cardtext::newCard(record, m_account.cardVersion, item.uid), false});
                continue;
            }
            if (!item.fields.isEmpty() && digestOf(item.table, local->values) == item.fields)
                continue;
            const QSet<QString> changed = changedColumns(columnsOf(item.table), local->values,
                                                         cardtext::recordOf(item.card).values);
            if (!changed.isEmpty())
                m_uploads.append({item.href, item.etag, item.uid, item.table, item.record,
                                  local->values, cardtext::patched(item.card, record, changed),
                                  false});
        }

        for (ContactTable table : {ContactTable::Person, ContactTable::Firm})
            for (auto local = locals[int(table)].cbegin(); local != locals[int(table)].cend();
                 ++local) {
                if (local->linked)
                    continue;
                // Noted before it is sent, so that a sync cut short sends it again to the same
                // place instead of making a second card.
                SyncItem item;
                item.table = table;
                item.record = local.key();
                item.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
                item.href = newHref(item.uid);
                batch.putItem(item);
                m_uploads.append({item.href, QString(), item.uid, table, item.record, local->values,
                                  cardtext::newCard({kindOf(table), local->values, 0},
                                                    m_account.cardVersion, item.uid),
                                  false});
            }
        if (!m_newState.token.isEmpty() || !m_newState.ctag.isEmpty())
            batch.setCollection(m_newState);
        batch.Commit();
    } catch (const CDbException& e) {
        stop(e.description());
        return;
    }
    sendNext();
}

QList<ConflictChoice> CContactSync::resolve(const QString& record,
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

void CContactSync::sendNext() {
    while (m_running && m_uploadsRunning < kParallelUploads && m_nextUpload < m_uploads.size()) {
        const Upload upload = m_uploads[m_nextUpload++];
        ++m_uploadsRunning;
        emit progress(tr("Sync: sending %1 of %2").arg(m_nextUpload).arg(m_uploads.size()));
        auto done = [this, upload](const DavReply& reply) { uploadDone(upload, reply); };
        if (upload.remove)
            m_client->remove(upload.href, upload.etag, done);
        else
            m_client->put(upload.href, upload.card, kVCardType, upload.etag, done);
    }
    if (m_running && m_uploadsRunning == 0 && m_nextUpload >= m_uploads.size())
        finish();
}

void CContactSync::uploadDone(const Upload& upload, const DavReply& reply) {
    --m_uploadsRunning;
    if (!m_running)
        return;
    if (reply.ok() || (upload.remove && reply.status == 404)) {
        m_uploaded.append({upload, reply.etag});
        if (m_uploaded.size() >= kUploadsPerBatch)
            flushUploaded();
    } else if (reply.status == 412) {
        // The card changed on the server meanwhile: the next round merges it.
        m_again = true;
    } else {
        flushUploaded();
        stop(errorOf(reply, upload.remove ? tr("deleting a card") : tr("sending a card")));
        return;
    }
    sendNext();
}

void CContactSync::flushUploaded() {
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
            const QMap<QString, QString> readBack = cardtext::recordOf(upload.card).values;
            batch.putItem({upload.table, upload.record, upload.href, etag, upload.uid, upload.card,
                           digestOf(upload.table, readBack)});
            ++m_summary.sent;
            // The record takes the values as the card reads back, so that both sides agree;
            // only if nobody changed it since it was sent.
            const QStringList columns = columnsOf(upload.table);
            const QSet<QString> differ = changedColumns(columns, readBack, upload.values);
            if (differ.isEmpty())
                continue;
            const QList<QMap<QString, QString>> now =
                readContactRows(m_db, upload.table, columns, {upload.record});
            if (!now.isEmpty() && changedColumns(columns, now.first(), upload.values).isEmpty())
                batch.updateRecord(upload.table, upload.record,
                                   QStringList(differ.cbegin(), differ.cend()), readBack);
        }
        batch.Commit();
    } catch (const CDbException& e) {
        stop(e.description());
    }
}

void CContactSync::stop(const QString& error) {
    if (!m_running)
        return;
    m_summary.error = error;
    m_client->abortAll();
    m_running = false;
    emit finished(m_summary);
}

void CContactSync::finish() {
    flushUploaded();
    if (!m_running)
        return;
    if (m_again && m_rounds < kMaxRounds) {
        round();
        return;
    }
    m_running = false;
    emit progress(QString());
    emit finished(m_summary);
}

QString CContactSync::errorOf(const DavReply& reply, const QString& doing) const {
    const QString server = m_account.server.host();
    if (reply.networkFailed)
        return tr("The server %1 could not be reached while %2: %3")
            .arg(server, doing, reply.errorText);
    switch (reply.status) {
        case 401:
            return tr("The server %1 did not accept the user name or password.").arg(server);
        case 403:
            return tr("The address book on %1 cannot be written (read-only or no permission).")
                .arg(server);
        case 404:
            return tr("The address book was not found on %1.").arg(server);
        case 507:
            return tr("The address book on %1 is full.").arg(server);
        default:
            return tr("The server %1 answered %2 while %3.")
                .arg(server)
                .arg(reply.status)
                .arg(doing);
    }
}
