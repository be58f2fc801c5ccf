#pragma once

#include <QString>

class CDatabase;

// One sync of a collection at a time on a team's server: two clients of one account, or two
// colleagues who sync one shared address book, would otherwise both take the same new card
// for a new record. The turn is the server's advisory lock of the collection, held by the
// connection's session, so a client that dies or loses its connection gives it up. A
// contacts file has one writer at a time already: there the turn is always free.
class CSyncTurn {
public:
    CSyncTurn() = default;
    ~CSyncTurn();
    CSyncTurn(const CSyncTurn&) = delete;
    CSyncTurn& operator=(const CSyncTurn&) = delete;

    // Takes the turn for `collection` (its key in the sync state) on `db`; false when
    // another session holds it. Throws CDbException.
    bool take(CDatabase& db, const QString& collection);
    // Gives the turn back; nothing when none is held. Never throws.
    void release();

private:
    CDatabase* m_db = nullptr;
    QString m_collection;
};
