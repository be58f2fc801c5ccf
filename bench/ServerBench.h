#pragma once

#include <QString>

class BenchTable;

// The copy of the whole contacts file into an empty database on a team's server (Tools >
// "Copy contacts file to server..."), beside the server's own bulk copy of the same rows
// into the same tables, prepared beforehand and rolled back. The copy stays on the server.
// The password comes from libpq's own sources (PGPASSWORD, ~/.pgpass).
void runServerBench(const QString& uri, BenchTable& table);
