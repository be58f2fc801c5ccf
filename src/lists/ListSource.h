#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <span>
#include <vector>

#include "data/Database.h"
#include "data/FieldTypes.h"
#include "data/SortTerms.h"
#include "data/SortedKeys.h"
#include "lists/CellText.h"
#include "lists/WildcardPattern.h"

// What a record list reads, through a connection that only reads (see openListConnection): the
// columns of its table after `id`, the ids of the rows in a sort order, and the shown texts of rows
// fetched by id. Every failure throws CDbException.
class CListSource {
public:
    CListSource() = default;
    CListSource(const CListSource&) = delete;
    CListSource& operator=(const CListSource&) = delete;

    // Opens the list's connection on the file with the password.
    void open(const QString& path, const QString& password);
    bool isOpen() const { return m_db && m_db->IsOpen(); }
    CDatabase& database() { return *m_db; }

    void setTable(const QString& table) { m_table = table; }
    const QString& table() const { return m_table; }
    CDisplayTextTable& displayTexts() { return m_displayTexts; }
    const CDisplayTextTable& displayTexts() const { return m_displayTexts; }

    // Reads the table's columns after its first one (the id) from its definition.
    void readColumns();
    const std::vector<CFieldInfo>& columns() const { return m_columns; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }

    // The terms of a sort text of column names ("lastname asc, firstname"); throws when it
    // names anything but columns of the list.
    std::vector<SortTerm> parseSort(const QString& sort) const;

    // The ids of all rows in the sort, with `id` as the last key, in the direction of the
    // sort's last key, so that the order is stable.
    std::vector<qint32> readIds(std::span<const SortTerm> sort);

    // The shown texts of the rows with these ids, one list of column texts per id in the
    // same order; a row that no longer exists gets empty texts.
    std::vector<QStringList> readRows(std::span<const qint32> ids);

    // The ids of the rows whose shown text in the column (list-column index) the pattern
    // matches (`matched`) or does not match (not `matched`), in no particular order. The
    // engine asks the pattern row by row and hands over only those rows.
    std::vector<qint32> idsWhereMatchIs(int column, const CWildcardPattern& pattern, bool matched);

    // Reads the sort keys of single rows in the order readIds gives for `sort`.
    std::unique_ptr<CRowSortKeyReader> sortKeyReader(std::span<const SortTerm> sort);

    // The text a cell of the column shows for a value as the engine returns it.
    QString cellText(int column, const QVariant& stored) const;

private:
    // Runs a read; on a server whose connection was lost, makes it again and reads once more.
    template <class Read>
    auto reconnecting(Read read);

    std::shared_ptr<CDatabase> m_db;
    QString m_table;
    CDisplayTextTable m_displayTexts;
    std::vector<CFieldInfo> m_columns;
    std::vector<bool> m_timeFlags;
};
