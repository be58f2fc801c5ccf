#pragma once

#include <QString>
#include <memory>

class CDatabase;

// The connection a record list reads through, open on `path` (a file or a server's URI)
// with `password`. On a file every list has one of its own, which reads beside the writes
// of the shared connection. A server counts the connections of every user of the team
// against one limit, so there the lists share one: made when the first list opens, closed
// with the last. Lists read on the user-interface thread only, one read at a time, so the
// one connection serves them in turn. Throws CDbException.
std::shared_ptr<CDatabase> openListConnection(const QString& path, const QString& password);
