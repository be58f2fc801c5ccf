#pragma once

#include <QString>

class BenchTable;

// Sync with a local Radicale (when installed) holding 10,000 cards: the first sync into an
// empty file, a sync with 10 changes on each side, and one with nothing changed, each
// beside the plain HTTP transfer of the same data from the same server.
void runSyncBench(const QString& folder, BenchTable& table);
