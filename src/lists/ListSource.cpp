#include "lists/ListSource.h"

#include <QHash>

#include "data/Connection.h"
#include "data/RecordSource.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "data/TableDef.h"
#include "lists/CellMatchFunction.h"

namespace {

QString bracketed(const QString& name) {
    return u'[' + name + u']';
}

}  // namespace

void CListSource::open(const QString& path, const QString& password) {
    m_db.Open(path, false, false, connectText(password));
}

void CListSource::readColumns() {
    m_columns.clear();
    m_timeFlags.clear();
    const CTableDef definition(m_db, m_table);
    for (int i = 1; i < definition.GetFieldCount(); ++i) {
        m_columns.push_back(definition.GetFieldInfo(i));
        m_timeFlags.push_back(isTimeColumn(m_columns.back().m_strName));
    }
}

std::vector<qint32> CListSource::readIds(const QString& condition, const QString& sort) {
    // The id runs in the direction of the last sort key, so that an index on the sort
    // columns, which holds the ids in that order too, delivers the rows without a sort.
    const QString last = sort.section(u',', -1).trimmed();
    const bool descending = last.endsWith(QLatin1String("desc"), Qt::CaseInsensitive);
    const QString id = descending ? QStringLiteral("[id] desc") : QStringLiteral("[id]");
    const QString order = sort.trimmed().isEmpty() ? id : sort + QStringLiteral(", ") + id;
    std::vector<qint32> ids;
    {
        const CRecordSource source(m_db, m_table, condition, order, CRecordSource::Mode::Keyset);
        const std::vector<qint64> keys = source.readKeys();
        ids.assign(keys.begin(), keys.end());
    }
    // The pages read for the ids are not needed again; the rows on screen are read by id.
    m_db.ReleaseMemory();
    return ids;
}

QString CListSource::selectColumnsSql() const {
    QString sql = QStringLiteral("Select [id]");
    for (const CFieldInfo& column : m_columns)
        sql += QStringLiteral(", ") + bracketed(column.m_strName);
    return sql + QStringLiteral(" From ") + bracketed(m_table);
}

QString CListSource::cellText(int column, const QVariant& stored) const {
    const std::size_t c = static_cast<std::size_t>(column);
    const CFieldInfo& field = m_columns[c];
    return m_displayTexts.DisplayText(field.m_strName,
                                      storedValueText(stored, field.m_nType, m_timeFlags[c]));
}

std::vector<QStringList> CListSource::readRows(std::span<const qint32> ids) {
    std::vector<QStringList> rows(ids.size());
    if (ids.empty())
        return rows;
    QString list;
    list.reserve(static_cast<qsizetype>(ids.size()) * 8);
    for (qint32 id : ids) {
        if (!list.isEmpty())
            list += u',';
        list += QString::number(id);
    }
    CStatement select(
        m_db, toSqlite(selectColumnsSql() + QStringLiteral(" Where [id] In (") + list + u')'));
    QHash<qint32, QStringList> byId;
    byId.reserve(static_cast<qsizetype>(ids.size()));
    const int n = columnCount();
    while (select.step()) {
        QStringList cells;
        cells.reserve(n);
        for (int c = 0; c < n; ++c)
            cells.append(cellText(c, select.value(c + 1)));
        byId.insert(static_cast<qint32>(select.int64(0)), std::move(cells));
    }
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto it = byId.constFind(ids[i]);
        rows[i] = it != byId.cend() ? *it : QStringList(n, QString());
    }
    return rows;
}

std::vector<qint32> CListSource::idsWhereMatchIs(int column, const CWildcardPattern& pattern,
                                                 bool matched) {
    std::vector<qint32> ids;
    {
        const CCellMatchFunction function(m_db.handle(), *this, column, pattern);
        const QString name = bracketed(m_columns[static_cast<std::size_t>(column)].m_strName);
        CStatement select(m_db, toSqlite(QStringLiteral("Select [id] From %1 Where %2(%3) = %4")
                                             .arg(bracketed(m_table),
                                                  QLatin1String(CCellMatchFunction::kName), name)
                                             .arg(matched ? 1 : 0)));
        while (select.step())
            ids.push_back(static_cast<qint32>(select.int64(0)));
    }
    m_db.ReleaseMemory();
    return ids;
}
