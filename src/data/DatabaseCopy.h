#pragma once

#include <QString>

class CDatabase;

// Copies every table (with its rows and AUTOINCREMENT counter), index, view and trigger of
// the connection's main database into the empty database attached as `target`, in one
// transaction.
void copyDatabase(CDatabase& db, const QString& target);
