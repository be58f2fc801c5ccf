#pragma once

#include <QString>

#include "data/DbException.h"

struct sqlite3;

// A database exception with the engine's code (extended codes too), the given words and
// the page of the bundled help that explains that kind of error.
CDbException dbError(int code, const QString& description);
// The engine's last error on a connection: its extended code and its own words.
CDbException engineError(sqlite3* handle);
// An engine code with its standard words ("database is locked"), for failures without a
// connection to ask.
CDbException engineError(int code);
// Raised by operations on a connection that is not open.
CDbException databaseClosedError();
