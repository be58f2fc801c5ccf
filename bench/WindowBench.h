#pragma once

#include <QString>
#include <memory>

class BenchTable;
class Reference;

// Times what the user does in the program's own windows on the contacts of `folder` (its
// Tarvex.mdb, or the server its Tarvex.ini names): start-up to a usable main window, the four
// lists, a header-click sort, a filter and "No filter", the search tool, the person form's
// moves, a save while all four lists are open and another program's new person appearing in
// the open person list. Each row beside `engine`'s time for the same rows; `password` is
// typed into the "Database access" prompt.
void runWindowBench(const QString& folder, BenchTable& table, std::unique_ptr<Reference> engine,
                    const QString& password = {});
