#pragma once

class BenchTable;

// Times "Find duplicates" on the file the shared connection has open: the keys of every
// person and firm in one pass, grouped by hash.
void runDuplicateBench(BenchTable& table);
