#pragma once

#include <QString>
#include <vector>

#include "data/FieldTypes.h"
#include "data/SortedKeys.h"

class CDatabase;

// What a record set reads: the SQLite statements behind a source text (a table or query
// name, or a SELECT in the engine's dialect) with a filter and a sort.
//
// A table, or "select * from [table] where ... order by ...", is read keyset-driven from
// the table itself and can be written. Any other source (a stored query, another SELECT)
// is copied once into a temporary table that is then read the same way, read-only.
// The forward-only form streams the source instead.
class CRecordSource {
public:
    enum class Mode { Keyset, Stream };

    CRecordSource(CDatabase& db, const QString& source, const QString& filter, const QString& sort,
                  Mode mode);
    ~CRecordSource();
    CRecordSource(const CRecordSource&) = delete;
    CRecordSource& operator=(const CRecordSource&) = delete;

    // The source's name: the table or query name, or the SELECT text.
    const QString& name() const { return m_name; }
    // The table that writes go to; empty when the source cannot be written.
    const QString& table() const { return m_table; }
    // Whether the source is every row of its table: no condition, its own or a filter.
    bool everyRow() const { return m_everyRow; }
    const std::vector<CFieldInfo>& columns() const { return m_columns; }

    // Keyset mode: the row keys in order, and one row (all columns) by key (?1).
    const QString& keysSql() const { return m_keysSql; }
    // Keyset mode: the row keys in order, as keysSql() gives them. Texts sorted ignoring
    // letter case are ordered without the engine calling our comparison once per pair.
    std::vector<qint64> readKeys() const;
    const QString& rowSql() const { return m_rowSql; }
    // Whether rowSql() gives the row's version after its columns (on the team's server),
    // for a write that must not overwrite another user's change unseen.
    bool isVersioned() const { return m_versioned; }
    // Keyset mode: the keys of the rows that meet a condition (engine dialect), any order.
    QString matchingKeysSql(const QString& condition) const;
    // Stream mode: every row (all columns) in order.
    const QString& streamSql() const { return m_streamSql; }

private:
    void materialise(const QString& select);
    void readColumns(const QString& sql);
    void planSortedKeys(const QString& condition, const QString& order);

    CDatabase& m_db;
    QString m_name;
    QString m_table;
    bool m_everyRow = false;
    QString m_tempTable;
    QString m_from;
    std::vector<CFieldInfo> m_columns;
    QString m_keysSql;
    QString m_rowSql;
    QString m_streamSql;
    QString m_condition;
    bool m_versioned = false;
    std::vector<SortedKeyColumn> m_sortedKeyColumns;
};
