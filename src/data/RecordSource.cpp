#include "data/RecordSource.h"

#include <sqlite3.h>

#include <QStringList>
#include <algorithm>

#include "data/Database.h"
#include "data/EngineError.h"
#include "data/Schema.h"
#include "data/SortTerms.h"
#include "data/SortedKeys.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "data/StoredObjects.h"

namespace {

// "table" or "view" for a stored object of that name (letter case ignored), else empty.
// A file's schema is read each time, as it is local and other programs may change it.
QString objectType(CDatabase& db, const QString& name, QString& storedName) {
    if (db.isServer()) {
        CStoredObjects& objects = db.storedObjects();
        auto known = objects.find(name);
        if (!known) {
            objects.readAll(db.server());
            known = objects.find(name);
        }
        if (!known)
            return {};
        storedName = known->storedName;
        return known->type;
    }
    CStatement lookup(db, QStringLiteral("SELECT type, name FROM sqlite_master WHERE "
                                         "type IN ('table', 'view') AND lower(name) = lower(?1)"));
    lookup.bind(1, name);
    if (!lookup.step())
        return {};
    storedName = lookup.text(1);
    return lookup.text(0);
}

QString whereClause(const QStringList& conditions, SqlTarget target) {
    QStringList parts;
    for (const QString& condition : conditions)
        if (!condition.trimmed().isEmpty())
            parts << u'(' + toSqlite(condition, target) + u')';
    return parts.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

// The sort, with the text columns among `columns` sorted ignoring Unicode letter case.
QString orderClause(const QString& sort, const std::vector<CFieldInfo>& columns) {
    if (sort.trimmed().isEmpty())
        return {};
    QStringList textColumns;
    for (const CFieldInfo& column : columns)
        if (column.m_nType == FieldType::Text)
            textColumns << column.m_strName;
    return QStringLiteral(" ORDER BY ") + toSqliteSort(sort, textColumns);
}

// The columns of a table as the file has them, for the server, whose tables also keep
// the row's version (and the alarm's author), which only the data layer reads.
QString fileColumnsOf(const QString& table) {
    for (const SourceDef* def : schema::tables())
        if (table.compare(QLatin1String(def->name), Qt::CaseInsensitive) == 0) {
            QStringList columns;
            for (const QString& column : schema::tableColumns(*def))
                columns << quotedName(column);
            return columns.join(QStringLiteral(", "));
        }
    return QStringLiteral("*");
}

int temporaryTableNumber() {
    static int next = 0;
    return ++next;
}

}  // namespace

CRecordSource::CRecordSource(CDatabase& db, const QString& source, const QString& filter,
                             const QString& sort, Mode mode)
    : m_db(db), m_name(source.trimmed()) {
    if (!db.IsOpen())
        throw databaseClosedError();
    // The table behind the source, when it is a table or a simple SELECT of one.
    QString table;
    QString where;
    QString order = sort;
    QString inner;  // otherwise: the SELECT to read as a whole
    const QString name = sourceName(m_name);
    if (!name.isEmpty()) {
        QString storedName;
        const QString type = objectType(db, name, storedName);
        if (type.isEmpty())
            throw dbError(SQLITE_ERROR, QStringLiteral("no such table: %1").arg(name));
        m_name = storedName;
        if (type == u"table")
            table = storedName;
        else
            inner = QStringLiteral("SELECT * FROM ") + quotedName(storedName);
    } else {
        const auto simple = parseSimpleSelect(m_name);
        QString storedName;
        if (simple && objectType(db, simple->source, storedName) == u"table") {
            table = storedName;
            where = simple->where;
            if (order.trimmed().isEmpty())
                order = simple->orderBy;
        } else {
            // Read as a subquery, which takes no closing ";".
            inner = toSqlite(m_name, sqlTargetOf(db));
            while (inner.endsWith(u';') || inner.endsWith(u' '))
                inner.chop(1);
        }
    }

    if (!table.isEmpty()) {
        const QString& from = m_from = quotedName(table);
        m_table = table;
        const QString columns = db.isServer() ? fileColumnsOf(table) : QStringLiteral("*");
        m_rowSql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(columns, from);
        readColumns(m_rowSql);
        if (db.isServer()) {
            // The row's version comes last, after the columns the record set shows.
            m_rowSql = QStringLiteral("SELECT %1, \"row_version\" FROM %2 WHERE rowid = ?1")
                           .arg(columns, from);
            m_versioned = true;
        }
        const QString condition = whereClause({where, filter}, sqlTargetOf(db));
        m_everyRow = condition.trimmed().isEmpty();
        const QString tail = condition + orderClause(order, m_columns);
        m_streamSql = QStringLiteral("SELECT %1 FROM %2").arg(columns, from) + tail;
        m_keysSql = QStringLiteral("SELECT rowid FROM ") + from + tail;
        if (mode == Mode::Keyset)
            planSortedKeys(condition, order);
        return;
    }
    const QString all = QStringLiteral("SELECT * FROM (") + inner + QStringLiteral(") AS source");
    readColumns(all);
    const QString select =
        all + whereClause({filter}, sqlTargetOf(db)) + orderClause(sort, m_columns);
    if (mode == Mode::Stream)
        m_streamSql = select;
    else
        materialise(select);
}

CRecordSource::~CRecordSource() {
    if (m_tempTable.isEmpty() || !m_db.IsOpen())
        return;
    try {
        CStatement(m_db, QStringLiteral("DROP TABLE temp.") + quotedName(m_tempTable)).execute();
    } catch (const CDbException&) {
        // A temporary table goes with the connection anyway.
    }
}

void CRecordSource::planSortedKeys(const QString& condition, const QString& order) {
    const auto terms = sortTerms(order, m_columns);
    if (!terms ||
        std::none_of(terms->begin(), terms->end(), [](const SortTerm& term) { return term.text; }))
        return;
    m_condition = condition;
    for (const SortTerm& term : *terms)
        m_sortedKeyColumns.push_back({quotedName(m_columns[std::size_t(term.column)].m_strName),
                                      term.text, term.descending});
}

std::vector<qint64> CRecordSource::readKeys() const {
    if (!m_sortedKeyColumns.empty())
        if (auto keys = readSortedKeys(m_db, m_from, m_condition, m_sortedKeyColumns))
            return std::move(*keys);
    std::vector<qint64> keys;
    CStatement statement(m_db, m_keysSql);
    while (statement.step())
        keys.push_back(statement.int64(0));
    return keys;
}

void CRecordSource::readColumns(const QString& sql) {
    if (m_db.isServer())
        if (const std::vector<CFieldInfo>* known = m_db.storedObjects().columnsOf(sql)) {
            m_columns = *known;
            return;
        }
    const CStatement statement(m_db, sql);
    for (int i = 0; i < statement.columnCount(); ++i)
        m_columns.push_back(
            {statement.columnName(i), fieldTypeFromDeclaredType(statement.declaredType(i))});
    if (m_db.isServer())
        m_db.storedObjects().rememberColumns(sql, m_columns);
}

void CRecordSource::materialise(const QString& select) {
    // Columns keep their names (conditions refer to them) and their text comparison.
    QStringList definitions;
    QStringList names;
    QStringList used;
    for (const CFieldInfo& column : m_columns) {
        QString name = column.m_strName;
        for (int n = 2; used.contains(name, Qt::CaseInsensitive); ++n)
            name = column.m_strName + u'_' + QString::number(n);
        used << name;
        names << quotedName(name);
        definitions << names.back() + u' ' + declaredTypeOf(column.m_nType);
    }
    const QString table = QStringLiteral("tarvex_records_%1").arg(temporaryTableNumber());
    const QString& target = m_from = QStringLiteral("temp.") + quotedName(table);
    // The server's tables have no row number of their own: the copy numbers its rows.
    const QString key = m_db.isServer() ? QStringLiteral("tarvex_row") : QStringLiteral("rowid");
    if (m_db.isServer())
        definitions.prepend(QStringLiteral("tarvex_row bigint GENERATED ALWAYS AS IDENTITY"));
    CStatement(m_db, QStringLiteral("CREATE TEMP TABLE %1 (%2)")
                         .arg(quotedName(table), definitions.join(QStringLiteral(", "))))
        .execute();
    m_tempTable = table;
    CStatement(m_db, QStringLiteral("INSERT INTO %1 (%2) %3")
                         .arg(target, names.join(QStringLiteral(", ")), select))
        .execute();
    m_keysSql = QStringLiteral("SELECT %2 FROM %1 ORDER BY %2").arg(target, key);
    m_rowSql = QStringLiteral("SELECT %3 FROM %1 WHERE %2 = ?1")
                   .arg(target, key, names.join(QStringLiteral(", ")));
}

QString CRecordSource::matchingKeysSql(const QString& condition) const {
    return QStringLiteral("SELECT %1 FROM %2")
               .arg(m_tempTable.isEmpty() || !m_db.isServer() ? QStringLiteral("rowid")
                                                              : QStringLiteral("tarvex_row"),
                    m_from) +
           whereClause({condition}, sqlTargetOf(m_db));
}
