#pragma once

#include <QString>

struct sqlite3;
class CServerConnection;

// After a copy between a contacts file and a server, compares the two: the number of rows
// of every table, and a sample of rows (the first, the last and some in between) column by
// column, each value as text (moments as "YYYY-MM-DD HH:MM:SS", NULL apart from an empty
// text). Both sides are read on the connections given, inside the copy's transactions.
namespace copycomparison {

struct Result {
    qint64 rows = 0;
    int sampledRows = 0;
    // The first difference found, in words; empty when the two agree.
    QString difference;
};

// Rows sampled per table besides the first and the last.
inline constexpr int kSamplesBetween = 8;

Result compare(sqlite3* file, CServerConnection& server);

}  // namespace copycomparison
