#pragma once

#include <QString>
#include <QVariant>
#include <span>
#include <vector>

#include "data/FieldTypes.h"
#include "data/SortTerms.h"
#include "data/SortedKeys.h"

class CCellMatcher;
class CDatabase;

// What a record list reads from its table: the columns after `id`, the ids in a sort
// order, the stored values of rows fetched by id, the ids whose cell a filter matches, and
// the sort keys of single rows, which place a changed row among the sorted ids.
//
// Sort terms index the columns after `id`; the id itself is always the last key, in the
// direction of the last term, so that the order is total and stable. Every failure throws
// CDbException.
class CListReads {
public:
    CListReads(CDatabase& db, const QString& table) : m_db(db), m_table(table) {}

    // The table's columns after its first one (the id), from its definition.
    std::vector<CFieldInfo> readColumns();

    // The ids of all rows in the order of `sort` (texts ignoring Unicode letter case).
    std::vector<qint32> readIds(std::span<const SortTerm> sort,
                                const std::vector<CFieldInfo>& columns);

    // The stored values of the `columns` of the rows with these ids, one vector per id in
    // the same order; empty for a row that no longer exists.
    std::vector<std::vector<QVariant>> readRows(std::span<const qint32> ids,
                                                const std::vector<CFieldInfo>& columns);

    // The ids of the rows whose cell in the column the matcher accepts (`matched`) or
    // refuses (not `matched`), in no particular order.
    std::vector<qint32> idsWhereMatchIs(const CFieldInfo& column, const CCellMatcher& matcher,
                                        bool matched);

    // The key columns of the order that readIds gives for `sort`.
    std::vector<SortedKeyColumn> sortKeyColumns(std::span<const SortTerm> sort,
                                                const std::vector<CFieldInfo>& columns) const;
    // The name of the table as the key readers take it.
    QString from() const;

private:
    CDatabase& m_db;
    QString m_table;
};
