#pragma once

#include <QString>

class RichTextBuilder;

// The colour of the column names in a table text dump (0xRRGGBB).
inline constexpr unsigned kDumpNameColor = 0x641E1E;

// Writes the records of a table as formatted text into `target`: for every record and
// every column after the first two, the column name in bold Arial of kDumpNameColor, a line
// break, then the value as the lists show it and an empty line. `filter` and `sort`, when
// not empty, become the WHERE and ORDER BY of the query on the shared connection. Returns 1
// on success, 0 without a target or when the database failed (the failure is reported).
int TableTextDump(const QString& table, RichTextBuilder* target, const QString& filter,
                  const QString& sort);
