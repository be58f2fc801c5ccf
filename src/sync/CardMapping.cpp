#include "sync/CardMapping.h"

#include <QUuid>

#include "data/ContactRows.h"
#include "exchange/CsvWriter.h"
#include "sync/CardText.h"

namespace {

using Kind = CExchangeRecord::Kind;

Kind kindOf(SyncTable table) {
    return table == SyncTable::Firm ? Kind::Firm : Kind::Person;
}

ContactTable contactTable(SyncTable table) {
    return table == SyncTable::Firm ? ContactTable::Firm : ContactTable::Person;
}

}  // namespace

QString CCardMapping::collectionName() const {
    return QStringLiteral("address book");
}

QByteArray CCardMapping::multigetBody(const QStringList& hrefs) const {
    QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<c:addressbook-multiget xmlns:d=\"DAV:\" "
        "xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
        "<d:prop><d:getetag/><c:address-data/></d:prop>";
    for (const QString& href : hrefs)
        body += "<d:href>" + href.toHtmlEscaped().toUtf8() + "</d:href>";
    return body + "</c:addressbook-multiget>";
}

QByteArray CCardMapping::contentType() const {
    return "text/vcard; charset=utf-8";
}

QString CCardMapping::fileExtension() const {
    return QStringLiteral(".vcf");
}

QList<SyncTable> CCardMapping::tables() const {
    return {SyncTable::Person, SyncTable::Firm};
}

QStringList CCardMapping::fields(SyncTable table) const {
    return csvColumns(kindOf(table));
}

QHash<qint64, SyncFields> CCardMapping::readAll(CDatabase& db, SyncTable table) const {
    QHash<qint64, SyncFields> records;
    for (SyncFields& row : readContactsWithIds(db, contactTable(table), fields(table))) {
        const qint64 id = row.take(QStringLiteral("id")).toLongLong();
        records.insert(id, std::move(row));
    }
    return records;
}

std::optional<SyncFields> CCardMapping::readOne(SyncTable table, qint64 id) const {
    const QList<SyncFields> rows = readContactRows(m_db, contactTable(table), fields(table), {id});
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

qint64 CCardMapping::add(CSyncBatch& batch, SyncTable table, const SyncFields& fields) const {
    return batch.addRecord(contactTable(table), fields);
}

void CCardMapping::update(CSyncBatch& batch, SyncTable table, qint64 id, const QStringList& changed,
                          const SyncFields& fields) const {
    batch.updateRecord(contactTable(table), id, changed, fields);
}

void CCardMapping::remove(CSyncBatch& batch, SyncTable table, qint64 id) const {
    batch.deleteRecord(contactTable(table), id);
}

QString CCardMapping::nameOf(SyncTable table, const SyncFields& fields) const {
    if (table == SyncTable::Firm)
        return fields.value(QStringLiteral("name"));
    return QStringList{fields.value(QStringLiteral("firstname")),
                       fields.value(QStringLiteral("lastname"))}
        .join(u' ')
        .trimmed();
}

SyncResourceRecord CCardMapping::read(const QByteArray& text) const {
    CExchangeRecord record = cardtext::recordOf(text);
    return {record.kind == Kind::Firm ? SyncTable::Firm : SyncTable::Person,
            std::move(record.values),
            cardtext::uidOf(text),
            {}};
}

QString CCardMapping::newUid(SyncTable, qint64, const SyncFields&) const {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QByteArray CCardMapping::create(SyncTable table, const SyncFields& fields,
                                const QString& uid) const {
    return cardtext::newCard({kindOf(table), fields, 0}, m_version, uid);
}

QByteArray CCardMapping::patched(const QByteArray& text, SyncTable table, const SyncFields& fields,
                                 const QSet<QString>& changed) const {
    return cardtext::patched(text, {kindOf(table), fields, 0}, changed);
}

void CCardMapping::clearPairing() {
    m_match.emplace();
}

void CCardMapping::offerForPairing(SyncTable table, const SyncFields& fields, qint64 id) {
    m_match->add({kindOf(table), fields, 0}, id);
}

std::optional<qint64> CCardMapping::takePair(const SyncResourceRecord& resource) {
    return m_match->take({kindOf(resource.table), resource.fields, 0});
}
