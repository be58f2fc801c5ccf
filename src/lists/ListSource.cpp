#include "lists/ListSource.h"

#include <sqlite3.h>

#include "data/CellMatchFunction.h"
#include "data/Connection.h"
#include "data/EngineError.h"
#include "data/ListReads.h"
#include "data/ServerConnection.h"
#include "lists/ListConnection.h"

namespace {

// A stored "null", in any letter case, which the list shows empty.
bool isStoredNull(QByteArrayView stored) {
    return stored.size() == 4 &&
           QLatin1StringView(stored).compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0;
}

// A filter's pattern on the texts a list column shows.
class CListCellMatcher : public CCellMatcher {
public:
    CListCellMatcher(const CListSource& source, int column, const CWildcardPattern& pattern)
        : m_source(source),
          m_column(column),
          m_pattern(pattern),
          m_emptyMatches(pattern.matches(QString())) {}

    bool matchesStored(const QVariant& stored) const override {
        return m_pattern.matches(m_source.cellText(m_column, stored));
    }
    bool showsTextAsStored() const override { return m_source.displayTexts().isEmpty(); }
    bool matchesText(QByteArrayView utf8) const override {
        return isStoredNull(utf8) ? m_emptyMatches : m_pattern.matchesUtf8(utf8);
    }

private:
    const CListSource& m_source;
    int m_column;
    const CWildcardPattern& m_pattern;
    bool m_emptyMatches;
};

}  // namespace

void CListSource::open(const QString& path, const QString& password) {
    m_db = openListConnection(path, password);
}

template <class Read>
auto CListSource::reconnecting(Read read) {
    try {
        return read();
    } catch (const CServerError& error) {
        // The server went away and came back (the shared connection found it so and has the
        // lists read again): the list's connection is made again too, and the read repeated.
        if (!error.connectionLost())
            throw;
        m_db->reconnectServer();
        return read();
    }
}

void CListSource::readColumns() {
    m_columns.clear();
    m_timeFlags.clear();
    m_columns = CListReads(*m_db, m_table).readColumns();
    for (const CFieldInfo& column : m_columns)
        m_timeFlags.push_back(isTimeColumn(column.m_strName));
}

std::vector<SortTerm> CListSource::parseSort(const QString& sort) const {
    if (sort.trimmed().isEmpty())
        return {};
    std::optional<std::vector<SortTerm>> terms = sortTerms(sort, m_columns);
    if (!terms)
        throw dbError(SQLITE_ERROR, QStringLiteral("no such column in the sort: %1").arg(sort));
    return std::move(*terms);
}

std::vector<qint32> CListSource::readIds(std::span<const SortTerm> sort) {
    return reconnecting([&] { return CListReads(*m_db, m_table).readIds(sort, m_columns); });
}

std::unique_ptr<CRowSortKeyReader> CListSource::sortKeyReader(std::span<const SortTerm> sort) {
    const CListReads reads(*m_db, m_table);
    return std::make_unique<CRowSortKeyReader>(*m_db, reads.from(),
                                               reads.sortKeyColumns(sort, m_columns));
}

QString CListSource::cellText(int column, const QVariant& stored) const {
    const std::size_t c = static_cast<std::size_t>(column);
    const CFieldInfo& field = m_columns[c];
    return m_displayTexts.DisplayText(field.m_strName,
                                      storedValueText(stored, field.m_nType, m_timeFlags[c]));
}

std::vector<QStringList> CListSource::readRows(std::span<const qint32> ids) {
    const std::vector<std::vector<QVariant>> values =
        reconnecting([&] { return CListReads(*m_db, m_table).readRows(ids, m_columns); });
    std::vector<QStringList> rows(ids.size());
    const int n = columnCount();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (values[i].empty()) {
            rows[i] = QStringList(n, QString());
            continue;
        }
        rows[i].reserve(n);
        for (int c = 0; c < n; ++c)
            rows[i].append(cellText(c, values[i][std::size_t(c)]));
    }
    return rows;
}

std::vector<qint32> CListSource::idsWhereMatchIs(int column, const CWildcardPattern& pattern,
                                                 bool matched) {
    const CListCellMatcher matcher(*this, column, pattern);
    return reconnecting([&] {
        return CListReads(*m_db, m_table)
            .idsWhereMatchIs(m_columns[static_cast<std::size_t>(column)], matcher, matched);
    });
}
