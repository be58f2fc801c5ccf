#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class CDatabase;

// One sync of a collection at a time: two programs on one contacts file, two clients of one
// account on a team's server, or two colleagues who sync one shared address book would
// otherwise each take the same new card for a new record of their own.
// - On a server the turn is the server's advisory lock of the collection, held by the
//   connection's session, so a client that dies or loses its connection gives it up.
// - On a contacts file it is a lock file beside it (never the file itself, whose locks belong
//   to the engine); the lock of a program that died is taken over.
// The turn is held while a sync runs.
class CSyncTurn {
public:
    CSyncTurn();
    ~CSyncTurn();
    CSyncTurn(const CSyncTurn&) = delete;
    CSyncTurn& operator=(const CSyncTurn&) = delete;

    // Takes the turn for `collection` (its key in the sync state) on `db`; false when
    // another program or session holds it. Throws CDbException.
    bool take(CDatabase& db, const QString& collection);
    // Gives the turn back; nothing when none is held. Never throws.
    void release();

private:
    CDatabase* m_db = nullptr;
    QString m_collection;
    std::unique_ptr<QLockFile> m_lockFile;
};
