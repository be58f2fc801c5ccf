#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "PgTestServer.h"

struct sqlite3;
class CServerConnection;

// The one private server of this test program, started at its first use and stopped when
// the program ends (also after failures).
PgTestServer& testServer();

// Writes a new contacts file at `path` whose every table holds rows with awkward values:
// NULLs, empty texts, quotes, backslashes, tabs, line breaks, letters beyond ASCII, "\N",
// and moments, with gaps between the ids.
void writeAwkwardFile(const QString& path, const QString& password = {});

// Every row of a table in id order, each value as text ("<NULL>" for a NULL).
using Rows = std::vector<QStringList>;
Rows fileRows(sqlite3* file, const char* table);
// The rows a statement gives, each value as text as above.
Rows fileQueryRows(sqlite3* file, const QString& sql);
Rows serverQueryRows(CServerConnection& server, const QString& sql);
Rows serverRows(CServerConnection& server, const char* table);

// Expects the server's kept known values of every source to be the groups of the rows as
// they are now: exact texts, each group's first row. `step` names the check.
void expectKnownValuesKept(CServerConnection& server, const char* step);
