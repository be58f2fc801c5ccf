#pragma once

#include <QString>

// Times the record lists and the search tool on the database at `path` (already filled):
// each list's first screen, header-click sorts, a filter over all contacts and searches over
// the four categories, each beside the engine's own time for the same rows.
void runListBench(const QString& path);
