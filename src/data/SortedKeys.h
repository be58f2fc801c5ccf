#pragma once

#include <QString>
#include <optional>
#include <span>
#include <vector>

class CDatabase;

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
// only the others are sorted here, by keys of their case-folded texts, and merged in.
// Nothing when a value cannot be ordered this way (an integer beyond 2^53); the caller
// then lets the engine sort.
std::optional<std::vector<qint64>> readSortedKeys(CDatabase& db, const QString& from,
                                                  const QString& where,
                                                  std::span<const SortedKeyColumn> columns);
