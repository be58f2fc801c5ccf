#pragma once

#include <QString>

class BenchTable;

// Times what the user does in the program's own windows on the file in `folder`: start-up
// to a usable main window, the four lists, a header-click sort, a filter and "No filter",
// the search tool, the person form's moves and a save while all four lists are open.
void runWindowBench(const QString& folder, BenchTable& table);
