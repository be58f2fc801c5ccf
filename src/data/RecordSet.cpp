#include "data/RecordSet.h"

#include <sqlite3.h>

#include <QStringList>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/EngineError.h"
#include "data/FanOutSearch.h"
#include "data/FileDamage.h"
#include "data/ListReads.h"
#include "data/NoCaseCollation.h"
#include "data/RecordSource.h"
#include "data/SortTerms.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"

namespace {

const QDateTime& zeroDate() {
    // Day 0 of the engine's date scale.
    static const QDateTime zero = wallClock(QDate(1899, 12, 30), QTime(0, 0));
    return zero;
}

QVariant initialValue(FieldType type) {
    switch (type) {
        case FieldType::Long:
            return 0;
        case FieldType::DateTime:
            return zeroDate();
        case FieldType::Text:
            break;
    }
    return QString();
}

// A stored value (as the engine returns it) as the field type's value.
QVariant fieldValue(const QVariant& stored, FieldType type) {
    if (stored.isNull())
        return {};
    switch (type) {
        case FieldType::Long:
            return static_cast<int>(stored.toLongLong());
        case FieldType::DateTime: {
            const QDateTime moment = fromStoredDateTime(stored.toString());
            return moment.isValid() ? QVariant(moment) : QVariant();
        }
        case FieldType::Text:
            break;
    }
    return stored.toString();
}

// A value set by the program as the field type's value.
QVariant normalised(const QVariant& value, FieldType type) {
    if (value.isNull())
        return {};
    switch (type) {
        case FieldType::Long:
            return value.toInt();
        case FieldType::DateTime: {
            // UTC, local or any zone: a moment is kept as the date and time it shows.
            const QDateTime moment = wallClock(value.toDateTime());
            return moment.isValid() ? QVariant(moment) : QVariant();
        }
        case FieldType::Text:
            break;
    }
    return value.toString();
}

// A field value as it is stored.
QVariant storedValue(const QVariant& value, FieldType type) {
    if (value.isNull())
        return {};
    if (type == FieldType::DateTime)
        return toStoredDateTime(value.toDateTime());
    if (type == FieldType::Long)
        return value.toLongLong();
    return value.toString();
}

bool isKey(const QString& column) {
    return column.compare(u"id", Qt::CaseInsensitive) == 0;
}

CDbException recordIsDeleted() {
    return dbError(SQLITE_NOTFOUND, QStringLiteral("Record is deleted."));
}

CDbException changedByAnotherUser() {
    return dbError(CRecordSet::kChangedElsewhere,
                   QStringLiteral("The record was changed by another user since it was opened."));
}

CDbException noCurrentRecord() {
    return dbError(SQLITE_ERROR, QStringLiteral("No current record."));
}

}  // namespace

CRecordSet::CRecordSet(CDatabase* db) : m_db(db) {}

CRecordSet::CRecordSet(CDatabase* db, const SourceDef& fields) : m_db(db), m_fields(&fields) {
    for (const FieldDef& field : fields.fields) {
        const QString name = QLatin1String(field.name);
        m_bindingByName.insert(name, static_cast<int>(m_bindings.size()));
        m_bindings.push_back({name, field.type});
        m_values.push_back(initialValue(field.type));
    }
}

CRecordSet::~CRecordSet() {
    Close();
}

QString CRecordSet::GetDefaultDBName() const {
    return databasePath();
}

QString CRecordSet::GetDefaultSQL() const {
    return m_fields ? u'[' + QLatin1String(m_fields->name) + u']' : QString();
}

CDatabase& CRecordSet::database() {
    return m_db ? *m_db : *m_ownDb;
}

void CRecordSet::Open(int type, const QString& source, int) {
    Close();
    m_openType = type;
    m_openSource = source.isEmpty() ? GetDefaultSQL() : source;
    if (m_openSource.trimmed().isEmpty())
        throw dbError(SQLITE_MISUSE, QStringLiteral("The record set has no source."));
    if (!m_db) {
        auto own = std::make_unique<CDatabase>();
        own->Open(GetDefaultDBName(), false, false, connectText(currentPassword()));
        m_ownDb = std::move(own);
    }
    m_attachedTo = &database();
    m_attachedTo->attach(this);
    try {
        openSource();
    } catch (const CDbException&) {
        Close();
        throw;
    }
}

void CRecordSet::Close() {
    if (!m_attachedTo)
        return;
    detachValues();
    m_stream.reset();
    m_rowStatement.reset();
    m_source.reset();
    m_keys.clear();
    m_row.clear();
    m_position = Position::BeforeFirst;
    m_lastModified.reset();
    endEdit();
    std::exchange(m_attachedTo, nullptr)->detach(this);
    m_ownDb.reset();
}

bool CRecordSet::IsOpen() const {
    return m_source != nullptr;
}

void CRecordSet::Requery() {
    requireOpen();
    openSource();
}

void CRecordSet::openSource() {
    if (!database().IsOpen())
        throw databaseClosedError();
    const bool stream = m_openType == dbOpenForwardOnly;
    // Read first: a source that cannot be read now (a server out of reach) leaves the set
    // as it was, to be read again later.
    auto source = std::make_unique<CRecordSource>(
        database(), m_openSource, m_strFilter, m_strSort,
        stream ? CRecordSource::Mode::Stream : CRecordSource::Mode::Keyset);
    detachValues();
    m_stream.reset();
    m_rowStatement.reset();
    m_source.reset();
    endEdit();
    bindFields(source->columns());
    m_readOnly =
        m_openType != dbOpenDynaset || source->table().isEmpty() || database().isReadOnly();
    if (stream) {
        m_stream = std::make_unique<CStatement>(database(), source->streamSql());
        m_streamedRows = 0;
        m_source = std::move(source);
        m_position = Position::BeforeFirst;
        MoveNext();
        return;
    }
    m_rowStatement = std::make_unique<CStatement>(database(), source->rowSql());
    m_source = std::move(source);
    readKeys();
    moveTo(0, +1);
}

void CRecordSet::bindFields(const std::vector<CFieldInfo>& columns) {
    if (!m_fields) {
        m_bindings.clear();
        m_bindingByName.clear();
        m_values.clear();
        for (const CFieldInfo& column : columns) {
            m_bindingByName.insert(column.m_strName, static_cast<int>(m_bindings.size()));
            m_bindings.push_back(
                {column.m_strName, column.m_nType, static_cast<int>(m_bindings.size())});
            m_values.emplace_back();
        }
        return;
    }
    for (Binding& binding : m_bindings) {
        binding.column = -1;
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i].m_strName.compare(binding.name, Qt::CaseInsensitive) == 0)
                binding.column = static_cast<int>(i);
        if (binding.column < 0)
            throw dbError(SQLITE_ERROR, QStringLiteral("no such column: %1").arg(binding.name));
    }
}

int CRecordSet::bindingIndex(const QString& column) const {
    const auto exact = m_bindingByName.constFind(column);
    if (exact != m_bindingByName.cend())
        return exact.value();
    for (std::size_t i = 0; i < m_bindings.size(); ++i)
        if (m_bindings[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    throw dbError(SQLITE_ERROR, QStringLiteral("no such column: %1").arg(column));
}

void CRecordSet::requireOpen() const {
    if (!m_source)
        throw dbError(SQLITE_MISUSE, QStringLiteral("The record set is not open."));
}

void CRecordSet::requireKeyset() const {
    requireOpen();
    if (m_stream)
        throw dbError(SQLITE_MISUSE,
                      QStringLiteral("A forward-only record set only moves to the next record."));
}

void CRecordSet::CheckWritable() const {
    requireOpen();
    if (m_readOnly)
        throw dbError(SQLITE_READONLY, QStringLiteral("The record set is read-only."));
    if (filedamage::isDamaged())
        throw filedamage::refusedWrite();
}

void CRecordSet::requireCurrent() const {
    requireOpen();
    if (m_position != Position::OnRecord)
        throw noCurrentRecord();
}

void CRecordSet::readKeys() {
    m_keys = m_source->readKeys();
}

bool CRecordSet::fetch(qint64 key) {
    m_rowStatement->bind(1, key);
    const bool found = m_rowStatement->step();
    if (found) {
        m_row.resize(static_cast<std::size_t>(m_rowStatement->columnCount()));
        for (std::size_t i = 0; i < m_row.size(); ++i)
            m_row[i] = m_rowStatement->value(static_cast<int>(i));
    }
    m_rowStatement->reset();
    return found;
}

void CRecordSet::moveTo(qsizetype index, int step) {
    endEdit();
    while (index >= 0 && index < static_cast<qsizetype>(m_keys.size())) {
        if (fetch(m_keys[static_cast<std::size_t>(index)])) {
            m_index = index;
            m_position = Position::OnRecord;
            m_valuesFromRow = true;
            return;
        }
        // Deleted through another record set or connection since the keys were read.
        m_keys.erase(m_keys.begin() + index);
        if (step < 0)
            --index;
    }
    // No record: the bound fields keep the last values they had.
    detachValues();
    m_row.clear();
    m_position = index < 0 || m_keys.empty() ? Position::BeforeFirst : Position::AfterLast;
}

QVariant CRecordSet::rawColumn(int column) const {
    return m_stream ? m_stream->value(column) : m_row[static_cast<std::size_t>(column)];
}

void CRecordSet::detachValues() {
    if (!m_valuesFromRow)
        return;
    for (std::size_t i = 0; i < m_bindings.size(); ++i)
        m_values[i] = fieldValue(rawColumn(m_bindings[i].column), m_bindings[i].type);
    m_valuesFromRow = false;
}

void CRecordSet::endEdit() {
    m_editMode = dbEditNone;
    m_editVersion = QVariant();
    m_valuesBeforeEdit.clear();
}

void CRecordSet::MoveFirst() {
    requireKeyset();
    moveTo(0, +1);
}

void CRecordSet::MoveLast() {
    requireKeyset();
    moveTo(static_cast<qsizetype>(m_keys.size()) - 1, -1);
}

void CRecordSet::MoveNext() {
    requireOpen();
    if (m_stream) {
        if (m_position == Position::AfterLast)
            throw noCurrentRecord();
        endEdit();
        // Past the last row the statement has no values to keep; the fields keep the
        // values they had before the row was read.
        m_valuesFromRow = m_stream->step();
        if (m_valuesFromRow) {
            ++m_streamedRows;
            m_position = Position::OnRecord;
        } else {
            m_position = Position::AfterLast;
        }
        return;
    }
    if (IsEOF())
        throw noCurrentRecord();
    switch (m_position) {
        case Position::BeforeFirst:
            moveTo(0, +1);
            break;
        case Position::Deleted:
            // The record after the deleted one has moved up into its place.
            moveTo(m_index, +1);
            break;
        default:
            moveTo(m_index + 1, +1);
    }
}

void CRecordSet::MovePrev() {
    requireKeyset();
    if (IsBOF())
        throw noCurrentRecord();
    moveTo(
        m_position == Position::AfterLast ? static_cast<qsizetype>(m_keys.size()) - 1 : m_index - 1,
        -1);
}

bool CRecordSet::IsBOF() const {
    if (!m_source)
        return true;
    const bool empty =
        m_stream ? m_streamedRows == 0 && m_position == Position::AfterLast : m_keys.empty();
    return empty || m_position == Position::BeforeFirst;
}

bool CRecordSet::IsEOF() const {
    if (!m_source)
        return true;
    return (!m_stream && m_keys.empty()) || m_position == Position::AfterLast;
}

bool CRecordSet::FindFirst(const QString& condition) {
    requireKeyset();
    std::unordered_set<qint64> matching;
    {
        CStatement query(database(), m_source->matchingKeysSql(condition));
        while (query.step())
            matching.insert(query.int64(0));
    }
    if (matching.empty())
        return false;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (!matching.count(m_keys[i]))
            continue;
        endEdit();
        if (!fetch(m_keys[i]))
            continue;
        m_index = static_cast<qsizetype>(i);
        m_position = Position::OnRecord;
        m_valuesFromRow = true;
        return true;
    }
    return false;
}

void CRecordSet::AddNew() {
    CheckWritable();
    detachValues();
    if (m_editMode == dbEditNone)
        m_valuesBeforeEdit = m_values;
    for (QVariant& value : m_values)
        value = QVariant();
    m_editMode = dbEditAdd;
}

void CRecordSet::Edit() {
    CheckWritable();
    requireCurrent();
    if (m_editMode == dbEditAdd)
        CancelUpdate();
    detachValues();
    m_valuesBeforeEdit = m_values;
    m_editVersion = rowVersion();
    m_editMode = dbEditInProgress;
}

void CRecordSet::AdoptStoredVersion() {
    if (m_editMode == dbEditInProgress)
        m_editVersion = rowVersion();
}

QVariant CRecordSet::rowVersion() const {
    if (!m_source->isVersioned() || m_stream || m_position != Position::OnRecord || m_row.empty())
        return {};
    return m_row.back();
}

void CRecordSet::Update() {
    CheckWritable();
    // A write from the event loop of an import's progress would go with its rollback.
    if (database().writeGate().isHeld())
        throw CWriteGate::busyWrite();
    if (m_editMode == dbEditNone)
        throw dbError(SQLITE_MISUSE, QStringLiteral("Update without AddNew or Edit."));
    if (m_editMode == dbEditAdd)
        insertRecord();
    else
        updateRecord();
    endEdit();
    if (m_position == Position::OnRecord && fetch(m_keys[static_cast<std::size_t>(m_index)]))
        m_valuesFromRow = true;
}

void CRecordSet::insertRecord() {
    QStringList columns;
    QStringList parameters;
    std::vector<QVariant> values;
    for (std::size_t i = 0; i < m_bindings.size(); ++i) {
        if (isKey(m_bindings[i].name))
            continue;
        columns << quotedName(m_bindings[i].name);
        parameters << QStringLiteral("?");
        values.push_back(storedValue(m_values[i], m_bindings[i].type));
    }
    const QString table = quotedName(m_source->table());
    CStatement insert(database(), columns.isEmpty()
                                      ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                      : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                            .arg(table, columns.join(u','), parameters.join(u',')));
    for (std::size_t i = 0; i < values.size(); ++i)
        insert.bind(static_cast<int>(i) + 1, values[i]);
    insert.execute();
    const qint64 key = database().lastInsertId();
    // Like the engine's dynaset: the new record is seen at the end until the next Requery.
    m_keys.push_back(key);
    m_lastModified = key;
}

void CRecordSet::updateRecord() {
    QStringList assignments;
    std::vector<QVariant> values;
    for (std::size_t i = 0; i < m_bindings.size(); ++i) {
        // Only changed fields are written, so a stored value the record set cannot read
        // back (say, a date in another format) is never overwritten by accident.
        if (isKey(m_bindings[i].name) || m_values[i] == m_valuesBeforeEdit[i])
            continue;
        assignments << quotedName(m_bindings[i].name) + QStringLiteral(" = ?");
        values.push_back(storedValue(m_values[i], m_bindings[i].type));
    }
    const qint64 key = m_keys[static_cast<std::size_t>(m_index)];
    if (assignments.isEmpty()) {
        // Nothing to write, but a record deleted meanwhile is still not saved.
        if (!fetch(key))
            throw recordIsDeleted();
        m_lastModified = key;
        return;
    }
    // On the server a row read before another user's save is not written over unseen.
    const bool versioned = m_editVersion.isValid();
    CStatement update(database(),
                      QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                          .arg(quotedName(m_source->table()), assignments.join(u','),
                               versioned ? QStringLiteral(" AND row_version = ?") : QString()));
    for (std::size_t i = 0; i < values.size(); ++i)
        update.bind(static_cast<int>(i) + 1, values[i]);
    update.bind(static_cast<int>(values.size()) + 1, key);
    if (versioned)
        update.bind(static_cast<int>(values.size()) + 2, m_editVersion);
    update.execute();
    if (database().changes() == 0) {
        if (versioned && fetch(key))
            throw changedByAnotherUser();
        throw recordIsDeleted();
    }
    m_lastModified = key;
}

void CRecordSet::CancelUpdate() {
    if (m_editMode == dbEditNone)
        return;
    m_values = m_valuesBeforeEdit;
    endEdit();
    if (m_position == Position::OnRecord)
        m_valuesFromRow = true;
}

void CRecordSet::Delete() {
    CheckWritable();
    if (database().writeGate().isHeld())
        throw CWriteGate::busyWrite();
    requireCurrent();
    if (m_editMode != dbEditNone)
        CancelUpdate();
    const qint64 key = m_keys[static_cast<std::size_t>(m_index)];
    const QVariant version = rowVersion();
    CStatement remove(
        database(),
        QStringLiteral("DELETE FROM %1 WHERE rowid = ?%2")
            .arg(quotedName(m_source->table()),
                 version.isValid() ? QStringLiteral(" AND row_version = ?") : QString()));
    remove.bind(1, key);
    if (version.isValid())
        remove.bind(2, version);
    remove.execute();
    if (database().changes() == 0) {
        if (version.isValid() && fetch(key))
            throw changedByAnotherUser();
        throw recordIsDeleted();
    }
    // The bound fields keep the deleted record's values until the next move.
    detachValues();
    m_keys.erase(m_keys.begin() + m_index);
    m_row.clear();
    m_position = Position::Deleted;
}

void CRecordSet::SetFieldNull() {
    m_valuesFromRow = false;
    for (QVariant& value : m_values)
        value = QVariant();
}

qint64 CRecordSet::GetBookmark() const {
    requireKeyset();
    requireCurrent();
    return m_keys[static_cast<std::size_t>(m_index)];
}

void CRecordSet::SetBookmark(qint64 bookmark) {
    requireKeyset();
    const auto found = std::find(m_keys.begin(), m_keys.end(), bookmark);
    if (found == m_keys.end())
        throw dbError(SQLITE_NOTFOUND, QStringLiteral("Not a valid bookmark."));
    endEdit();
    if (!fetch(bookmark)) {
        m_keys.erase(found);
        throw recordIsDeleted();
    }
    m_index = found - m_keys.begin();
    m_position = Position::OnRecord;
    m_valuesFromRow = true;
}

namespace {

bool isNumber(const QVariant& value) {
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
}

// The engine's order of two stored values: null first, then numbers, then texts (text
// columns ignoring letter case as their sort does).
int compareStored(const QVariant& a, const QVariant& b, bool text) {
    if (a.isNull() || b.isNull())
        return int(!a.isNull()) - int(!b.isNull());
    if (isNumber(a) || isNumber(b)) {
        if (!isNumber(a) || !isNumber(b))
            return isNumber(a) ? -1 : 1;
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QByteArray x = a.toString().toUtf8();
    const QByteArray y = b.toString().toUtf8();
    if (text)
        return compareNoCase(x.constData(), int(x.size()), y.constData(), int(y.size()));
    return std::clamp(x.compare(y), -1, 1);
}

}  // namespace

std::optional<qsizetype> CRecordSet::placeAmong(std::span<const qint64> keys,
                                                const std::vector<SortTerm>& terms,
                                                const std::vector<QVariant>& row, qint64 key) {
    std::vector<CFieldInfo> sortColumns;
    for (const SortTerm& term : terms)
        sortColumns.push_back(m_source->columns()[std::size_t(term.column)]);
    CListReads reads(*m_db, m_source->table());
    // The sort columns of the rows visited, in the order of `terms`.
    std::unordered_map<qint64, std::vector<QVariant>> visited;
    const auto read = [&](std::span<const qsizetype> places) {
        if (!m_db->isServer()) {
            // A file's row in a moment, through the set's own prepared statement.
            for (const qsizetype at : places) {
                if (!fetch(keys[std::size_t(at)]))
                    return false;  // deleted meanwhile: the keys are stale
                std::vector<QVariant> values;
                for (const SortTerm& term : terms)
                    values.push_back(m_row[std::size_t(term.column)]);
                visited.emplace(keys[std::size_t(at)], std::move(values));
            }
            return true;
        }
        std::vector<qint32> unread;
        for (const qsizetype at : places)
            if (!visited.contains(keys[std::size_t(at)]))
                unread.push_back(qint32(keys[std::size_t(at)]));
        std::vector<std::vector<QVariant>> rows = reads.readRows(unread, sortColumns);
        for (std::size_t i = 0; i < unread.size(); ++i) {
            if (rows[i].empty())
                return false;  // deleted meanwhile: the keys are stale
            visited.emplace(unread[i], std::move(rows[i]));
        }
        return true;
    };
    // The first place whose record sorts after the row; equal records in the order of their
    // keys, as the sort gives them.
    const auto before = [&](qsizetype at) {
        const qint64 other = keys[std::size_t(at)];
        const std::vector<QVariant>& values = visited.at(other);
        for (std::size_t t = 0; t < terms.size(); ++t) {
            int order = compareStored(values[t], row[std::size_t(terms[t].column)], terms[t].text);
            if (terms[t].descending)
                order = -order;
            if (order != 0)
                return order < 0;
        }
        return other < key;
    };
    return fanOutSearch(qsizetype(keys.size()), m_db->isServer() ? kServerRowsPerRound : 1, read,
                        before);
}

std::optional<std::vector<SortTerm>> CRecordSet::followableOrder() const {
    // A row of the table belongs to the set whatever its values, and the keys are its rows.
    if (!m_source->everyRow())
        return std::nullopt;
    return sortTerms(m_strSort, m_source->columns());
}

bool CRecordSet::PlaceLastAdded() {
    requireKeyset();
    if (!m_lastModified || m_keys.empty() || m_keys.back() != *m_lastModified)
        return false;
    const std::optional<std::vector<SortTerm>> terms = followableOrder();
    if (!terms)
        return false;
    // The rows read on the way pass through the current record's row.
    const std::vector<QVariant> current = m_row;
    const qint64 added = m_keys.back();
    std::optional<qsizetype> place;
    std::vector<QVariant> addedRow;
    if (fetch(added)) {
        addedRow = m_row;
        place = placeAmong(std::span(m_keys).first(m_keys.size() - 1), *terms, addedRow, added);
    }
    if (!place) {
        m_row = current;
        return false;
    }
    endEdit();
    m_keys.pop_back();
    m_keys.insert(m_keys.begin() + *place, added);
    m_row = addedRow;
    m_index = *place;
    m_position = Position::OnRecord;
    m_valuesFromRow = true;
    return true;
}

bool CRecordSet::FollowChange(const TableChange& change) {
    requireKeyset();
    const std::optional<std::vector<SortTerm>> terms = followableOrder();
    if (!terms)
        return false;
    std::unordered_set<qint64> changed;
    for (const std::vector<qint32>* ids : {&change.inserted, &change.updated, &change.deleted})
        changed.insert(ids->begin(), ids->end());
    std::vector<qint64> keys = m_keys;
    std::erase_if(keys, [&](qint64 key) { return changed.contains(key); });
    // The rows written, by id: equal records end in the order they were added.
    std::vector<qint64> written(change.inserted.begin(), change.inserted.end());
    written.insert(written.end(), change.updated.begin(), change.updated.end());
    std::sort(written.begin(), written.end());
    written.erase(std::unique(written.begin(), written.end()), written.end());
    // The rows read on the way pass through the current record's row.
    const std::vector<QVariant> current = m_row;
    for (const qint64 key : written) {
        // Deleted again since: nothing to place.
        if (!fetch(key))
            continue;
        const std::vector<QVariant> row = m_row;
        const std::optional<qsizetype> place = placeAmong(keys, *terms, row, key);
        if (!place) {
            m_row = current;
            return false;
        }
        keys.insert(keys.begin() + *place, key);
    }
    m_keys = std::move(keys);
    // As after Requery: on the first record.
    moveTo(0, 1);
    return true;
}

qint64 CRecordSet::GetLastModifiedBookmark() const {
    requireKeyset();
    if (!m_lastModified)
        throw dbError(SQLITE_NOTFOUND, QStringLiteral("No record has been added or changed."));
    return *m_lastModified;
}

int CRecordSet::GetRecordCount() const {
    requireOpen();
    return m_stream ? m_streamedRows : static_cast<int>(m_keys.size());
}

int CRecordSet::GetAbsolutePosition() const {
    if (!m_source || m_position != Position::OnRecord)
        return -1;
    return m_stream ? m_streamedRows - 1 : static_cast<int>(m_index);
}

QVariant CRecordSet::GetFieldValue(int index) const {
    requireCurrent();
    if (index < 0 || index >= GetFieldCount())
        throw dbError(SQLITE_RANGE, QStringLiteral("Item not found in this collection."));
    return fieldValue(rawColumn(index),
                      m_source->columns()[static_cast<std::size_t>(index)].m_nType);
}

QVariant CRecordSet::GetFieldValue(const QString& name) const {
    requireOpen();
    const auto& columns = m_source->columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].m_strName.compare(name, Qt::CaseInsensitive) == 0)
            return GetFieldValue(static_cast<int>(i));
    throw dbError(SQLITE_ERROR, QStringLiteral("no such column: %1").arg(name));
}

int CRecordSet::GetFieldCount() const {
    requireOpen();
    return static_cast<int>(m_source->columns().size());
}

CFieldInfo CRecordSet::GetFieldInfo(int index) const {
    if (index < 0 || index >= GetFieldCount())
        throw dbError(SQLITE_RANGE, QStringLiteral("Item not found in this collection."));
    return m_source->columns()[static_cast<std::size_t>(index)];
}

QString CRecordSet::GetName() const {
    return m_source ? m_source->name() : QString();
}

QVariant CRecordSet::value(const QString& column) const {
    const int index = bindingIndex(column);
    const Binding& binding = m_bindings[static_cast<std::size_t>(index)];
    if (m_valuesFromRow)
        return fieldValue(rawColumn(binding.column), binding.type);
    return m_values[static_cast<std::size_t>(index)];
}

void CRecordSet::setValue(const QString& column, const QVariant& value) {
    const int index = bindingIndex(column);
    detachValues();
    m_values[static_cast<std::size_t>(index)] =
        normalised(value, m_bindings[static_cast<std::size_t>(index)].type);
}

QString CRecordSet::text(const QString& column) const {
    return value(column).toString();
}

qint32 CRecordSet::longValue(const QString& column) const {
    return value(column).toInt();
}

QDateTime CRecordSet::dateTime(const QString& column) const {
    return value(column).toDateTime();
}
