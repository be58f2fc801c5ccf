#pragma once

#include <QString>

class BenchTable;

// The backup of the whole file as "Back up..." makes it (step by step, ready for a progress
// dialog), beside the engine's own online backup of the same file in one step.
void runBackupBench(const QString& folder, BenchTable& table);
