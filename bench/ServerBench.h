#pragma once

#include <QString>

class BenchTable;

// The contacts file on a team's server. First the copy of the whole file into an empty
// database there (Tools > "Copy contacts file to server..."), beside the server's own bulk
// copy of the same rows into the same tables, prepared beforehand and rolled back. Then, on
// the copy, the rows of the window and data-layer benchmarks (named "server: ..."), each
// beside the server's own time for the same statement on a connection of its own, with
// another client's new person in the open person list. The copy stays on the server.
// The password is PGPASSWORD's. Afterwards the database path is the file's again and
// `folder` the working folder; the shared connection is closed.
void runServerBench(const QString& uri, const QString& folder, BenchTable& table);
