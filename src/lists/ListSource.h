#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <span>
#include <vector>

#include "data/Database.h"
#include "data/FieldTypes.h"
#include "lists/CellText.h"
#include "lists/WildcardPattern.h"

// What a record list reads, through a connection of its own that only reads: the columns of
// its table after `id`, the ids of the rows in a sort order, and the shown texts of rows
// fetched by id. Every failure throws CDbException.
class CListSource {
public:
    CListSource() = default;
    CListSource(const CListSource&) = delete;
    CListSource& operator=(const CListSource&) = delete;

    // Opens the list's connection on the file with the password.
    void open(const QString& path, const QString& password);
    bool isOpen() const { return m_db.IsOpen(); }
    CDatabase& database() { return m_db; }

    void setTable(const QString& table) { m_table = table; }
    const QString& table() const { return m_table; }
    CDisplayTextTable& displayTexts() { return m_displayTexts; }
    const CDisplayTextTable& displayTexts() const { return m_displayTexts; }

    // Reads the table's columns after its first one (the id) from its definition.
    void readColumns();
    const std::vector<CFieldInfo>& columns() const { return m_columns; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }

    // The ids of the rows that meet the condition (engine dialect; empty: all rows) in the
    // sort (engine dialect; empty: none), with `id` as the last key, in the direction of
    // the sort's last key, so that the order is stable.
    std::vector<qint32> readIds(const QString& condition, const QString& sort);

    // The shown texts of the rows with these ids, one list of column texts per id in the
    // same order; a row that no longer exists gets empty texts.
    std::vector<QStringList> readRows(std::span<const qint32> ids);

    // The ids of the rows whose shown text in the column (list-column index) the pattern
    // matches (`matched`) or does not match (not `matched`), in no particular order. The
    // engine asks the pattern row by row and hands over only those rows.
    std::vector<qint32> idsWhereMatchIs(int column, const CWildcardPattern& pattern, bool matched);

    // The text a cell of the column shows for a value as the engine returns it.
    QString cellText(int column, const QVariant& stored) const;

private:
    QString selectColumnsSql() const;

    CDatabase m_db;
    QString m_table;
    CDisplayTextTable m_displayTexts;
    std::vector<CFieldInfo> m_columns;
    std::vector<bool> m_timeFlags;
};
