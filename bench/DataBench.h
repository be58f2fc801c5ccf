#pragma once

#include <QString>

class BenchTable;

// Times the data layer on the file the shared connection has open: record sets, the
// known-value reload, the form's save paths, the history query and the name look-ups.
// `folder` takes the small encrypted file of the look-up timings.
void runDataBench(const QString& folder, BenchTable& table);

// The engine's own statement for what the known-value load reads: the distinct values of
// every name column.
QString distinctNamesSql();
