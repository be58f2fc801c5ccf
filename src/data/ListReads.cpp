#include "data/ListReads.h"

#include <QHash>
#include <QStringList>

#include "data/CellMatchFunction.h"
#include "data/Database.h"
#include "data/NoCaseCollation.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "data/TableDef.h"

QString CListReads::from() const {
    return quotedName(m_table);
}

std::vector<CFieldInfo> CListReads::readColumns() {
    std::vector<CFieldInfo> columns;
    const CTableDef definition(m_db, m_table);
    for (int i = 1; i < definition.GetFieldCount(); ++i)
        columns.push_back(definition.GetFieldInfo(i));
    return columns;
}

std::vector<SortedKeyColumn> CListReads::sortKeyColumns(
    std::span<const SortTerm> sort, const std::vector<CFieldInfo>& columns) const {
    std::vector<SortedKeyColumn> keys;
    for (const SortTerm& term : sort)
        keys.push_back({quotedName(columns.at(std::size_t(term.column)).m_strName), term.text,
                        term.descending});
    // The id runs in the direction of the last key, so that an index on the sort columns,
    // which holds the ids in that order too, delivers the rows without a sort.
    keys.push_back({QStringLiteral("[id]"), false, !sort.empty() && sort.back().descending});
    return keys;
}

std::vector<qint32> CListReads::readIds(std::span<const SortTerm> sort,
                                        const std::vector<CFieldInfo>& columns) {
    const std::vector<SortedKeyColumn> keys = sortKeyColumns(sort, columns);
    std::vector<qint32> ids;
    if (auto sorted = readSortedKeys(m_db, from(), QString(), keys)) {
        ids.assign(sorted->begin(), sorted->end());
    } else {
        // A value that has no key of ours: the engine sorts with the same comparisons.
        QStringList order;
        for (const SortedKeyColumn& key : keys)
            order << key.sql +
                         (key.text ? QStringLiteral(" COLLATE ") + kUnicodeNoCase : QString()) +
                         (key.descending ? QStringLiteral(" DESC") : QString());
        CStatement select(m_db, QStringLiteral("SELECT [id] FROM %1 ORDER BY %2")
                                    .arg(from(), order.join(QStringLiteral(", "))));
        while (select.step())
            ids.push_back(static_cast<qint32>(select.int64(0)));
    }
    // The pages read for the ids are not needed again; the rows on screen are read by id.
    m_db.ReleaseMemory();
    return ids;
}

std::vector<std::vector<QVariant>> CListReads::readRows(std::span<const qint32> ids,
                                                        const std::vector<CFieldInfo>& columns) {
    std::vector<std::vector<QVariant>> rows(ids.size());
    if (ids.empty())
        return rows;
    QString sql = QStringLiteral("SELECT [id]");
    for (const CFieldInfo& column : columns)
        sql += QStringLiteral(", ") + quotedName(column.m_strName);
    sql += QStringLiteral(" FROM ") + from() + QStringLiteral(" WHERE [id] IN (");
    for (std::size_t i = 0; i < ids.size(); ++i)
        sql += (i ? QStringLiteral(",") : QString()) + QString::number(ids[i]);
    CStatement select(m_db, sql + u')');
    QHash<qint32, std::vector<QVariant>> byId;
    byId.reserve(static_cast<qsizetype>(ids.size()));
    const int n = static_cast<int>(columns.size());
    while (select.step()) {
        std::vector<QVariant> values;
        values.reserve(std::size_t(n));
        for (int c = 0; c < n; ++c)
            values.push_back(select.value(c + 1));
        byId.insert(static_cast<qint32>(select.int64(0)), std::move(values));
    }
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto it = byId.find(ids[i]);
        if (it != byId.end())
            rows[i] = std::move(*it);
    }
    return rows;
}

std::vector<qint32> CListReads::idsWhereMatchIs(const CFieldInfo& column,
                                                const CCellMatcher& matcher, bool matched) {
    std::vector<qint32> ids;
    if (m_db.isServer()) {
        // The server cannot run the matcher: the column comes over once, and the matcher
        // looks at each cell here.
        CStatement select(
            m_db,
            QStringLiteral("SELECT [id], %1 FROM %2").arg(quotedName(column.m_strName), from()));
        while (select.step())
            if (matcher.matchesStored(select.value(1)) == matched)
                ids.push_back(static_cast<qint32>(select.int64(0)));
        return ids;
    }
    {
        const CCellMatchFunction function(m_db.handle(), matcher,
                                          column.m_nType == FieldType::Text);
        CStatement select(m_db, QStringLiteral("SELECT [id] FROM %1 WHERE %2(%3) = %4")
                                    .arg(from(), QLatin1String(CCellMatchFunction::kName),
                                         quotedName(column.m_strName))
                                    .arg(matched ? 1 : 0));
        while (select.step())
            ids.push_back(static_cast<qint32>(select.int64(0)));
    }
    m_db.ReleaseMemory();
    return ids;
}
