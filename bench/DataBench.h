#pragma once

#include <QString>

class BenchTable;
class Reference;

// Times the data layer on the database the shared connection has open (the file or the
// team's server): record sets, the known-value reload, the form's save paths, the history
// query and the name look-ups, each beside `engine`'s time for the same rows.
void runDataBench(Reference& engine, BenchTable& table);

// Look-ups on a small encrypted file made in `folder`: through the shared connection, and by
// a record set that opens the file itself (a key derivation each time). The shared connection
// is opened on the database path again afterwards.
void runEncryptedLookupBench(const QString& folder, BenchTable& table);

// The engine's own statement for what the known-value load reads: the distinct values of
// every name column.
QString distinctNamesSql();
