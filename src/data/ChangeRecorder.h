#pragma once

#include "data/ChangeNotifier.h"

struct sqlite3;

// Collects what the transactions of one connection change, through the engine's update,
// commit and rollback hooks, and hands a committed change to the notifier once the
// statement that committed it has returned. A rolled-back transaction announces nothing.
//
// The engine empties a table in one step for a DELETE without a WHERE clause and then passes
// none of its rows to the update hook: the data layer's own deletes name their rows, and free
// statements (CDatabase::Execute) announce that everything changed.
class CChangeRecorder {
public:
    CChangeRecorder() = default;
    CChangeRecorder(const CChangeRecorder&) = delete;
    CChangeRecorder& operator=(const CChangeRecorder&) = delete;

    // Installs the hooks on a connection (replacing any commit hook it has). `onCommit` runs
    // inside every commit.
    void install(sqlite3* handle, void (*onCommit)(void*), void* context);
    // Announces what the connection committed, unless a transaction is still open on it.
    void announceCommitted();
    // Forgets everything not yet announced (the connection closes).
    void clear();

    // Notes a change the team's server announced after its commit: "channel table id
    // OPERATION" (INSERT, UPDATE or DELETE).
    void noteServerChange(const QString& notification);

    // Notes that a statement changed something the hooks cannot see (a table emptied in one
    // step): the next announcement says that everything changed.
    void noteEverything() { m_pending.everything = true; }

private:
    static void noteRow(void* recorder, int operation, const char* database, const char* table,
                        long long rowid);
    static int noteCommit(void* recorder);
    static void noteRollback(void* recorder);

    sqlite3* m_handle = nullptr;
    void (*m_onCommit)(void*) = nullptr;
    void* m_context = nullptr;
    DataChange m_pending;
    DataChange m_committed;
};
