#pragma once

#include <QString>
#include <functional>

#include "data/DbException.h"

class CServerConnection;

// Copies a whole contacts file to a team's server and back. Each copy is one transaction on
// its target, compared with its source at the end (copycomparison), and a failure of any
// kind, a cancel or a difference found leaves the target as it was: the server's
// transaction is rolled back, a new file is removed.
namespace servercopy {

// Told the rows copied so far and the rows in all, now and then; returning false stops the
// copy (CCopyCancelled).
using Progress = std::function<bool(qint64 done, qint64 total)>;

class CCopyCancelled : public CDbException {
public:
    CCopyCancelled();
};

struct Result {
    qint64 rows = 0;
    int sampledRows = 0;
};

// Copies the contacts file at `path` (opened with `password`, read in one snapshot) into the
// server's database with the server's bulk copy, creating the schema when the database has
// none. Ids are kept and the key sequences set past the largest. Refused when the server
// already holds Tarvex rows. Throws CDbException (CServerError, CCopyCancelled).
Result copyFileToServer(const QString& path, const QString& password, CServerConnection& server,
                        const Progress& progress);

// Copies the server's database into a new contacts file at `path` (encrypted when a
// password is given), ids kept. Refused when the file exists or the server holds no Tarvex
// schema. Throws CDbException.
Result copyServerToFile(CServerConnection& server, const QString& path, const QString& password,
                        const Progress& progress);

}  // namespace servercopy
