#pragma once

#include <QByteArrayView>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

class CDatabase;
class CStatement;

// A key of the order: an SQLite column expression, whether it is a text sorted ignoring
// Unicode letter case, and its direction.
struct SortedKeyColumn {
    QString sql;
    bool text;
    bool descending;
};

// The row keys of `from` (SQLite) whose rows meet `where` (an SQLite WHERE clause with its
// keyword, or empty), in the order of `columns` and then of the key, as
// "ORDER BY ... COLLATE unicode_nocase ..." would give them, without asking the engine to
// sort by a comparison of ours.
//
// The engine orders the rows by the built-in NOCASE, from the columns' indexes where they
// have them. That is already the right order for every row whose texts are plain ASCII;
// only the others are sorted here, by keys of their case-folded texts, and merged in. A
// server orders texts by language, but keeps the names that forms open in by indexes of
// texts folded as here (ServerNameOrder.h): those orders come from the server as they are.
// Where another of its indexes has the order, the ASCII rows that follow each other in the
// keys' order stay in place; otherwise all its rows are sorted here. Without a text among
// the columns the engine's order is the whole answer.
// A whole table's order is read once until a change of the table is announced: the keys
// come from the last read of it meanwhile (SortedKeyCache.h).
// Nothing when the keys would pass 4 GB; the caller then lets the engine sort.
std::optional<std::vector<qint64>> readSortedKeys(CDatabase& db, const QString& from,
                                                  const QString& where,
                                                  std::span<const SortedKeyColumn> columns);

// Appends the key of the statement's value in column `at`: bytes whose unsigned order
// (a shorter key before its longer continuations) is the order of the values, nulls first,
// then numbers (integers and reals compared exactly), texts (case-folded when `text`) and
// blobs. The bulk read and the single-row read below both build their keys here, so that
// they cannot disagree.
void appendSortKey(std::string& key, const CStatement& row, int at, bool text);

// Compares two keys built by appendSortKey: negative, zero or positive.
int compareSortKeys(QByteArrayView a, QByteArrayView b);

// The key of one row: one key per column, and the row key that breaks ties.
struct RowSortKey {
    std::vector<std::string> columns;
    qint64 rowKey = 0;
};

// Whether the row of `a` comes before that of `b` in the order of `columns`, as
// readSortedKeys orders them.
bool sortsBefore(const RowSortKey& a, const RowSortKey& b,
                 std::span<const SortedKeyColumn> columns);

// Reads the keys of single rows of `from` by their row key, one prepared statement for many
// reads: where one changed row goes in a sorted list without reading every row again.
class CRowSortKeyReader {
public:
    CRowSortKeyReader(CDatabase& db, const QString& from, std::vector<SortedKeyColumn> columns);
    ~CRowSortKeyReader();
    CRowSortKeyReader(const CRowSortKeyReader&) = delete;
    CRowSortKeyReader& operator=(const CRowSortKeyReader&) = delete;

    enum class Outcome { Read, NoSuchRow };
    // The row's key in `key`.
    Outcome read(qint64 rowKey, RowSortKey& key);
    // The keys of several rows, by row key; a row that is gone has none. A server answers
    // up to kMostRowsPerStatement of them in one round trip.
    std::unordered_map<qint64, RowSortKey> readSome(std::span<const qint64> rowKeys);
    // How many rows a search should read together: one from a file, where a read costs
    // microseconds, many from a server, where each statement is a round trip.
    qsizetype rowsPerRead() const;
    static constexpr qsizetype kMostRowsPerStatement = 1024;
    std::span<const SortedKeyColumn> columns() const { return m_columns; }

private:
    void keyOf(const CStatement& row, int first, RowSortKey& key) const;

    CDatabase& m_db;
    QString m_from;
    std::vector<SortedKeyColumn> m_columns;
    std::unique_ptr<CStatement> m_select;
    // By their number of places, a power of two: made at their first use.
    std::map<qsizetype, std::unique_ptr<CStatement>> m_selectSome;
};
