#pragma once

#include <QString>

#include "data/EngineHandle.h"

class CDatabase;
struct sqlite3_backup;

// A consistent copy of an open database file, made page by page with the engine's online
// backup while the file stays in use: the source is read in one read transaction, so the
// copy holds the state of the moment it started, and saves through other connections go on
// meanwhile (in the write-ahead log). The copy is encrypted with the source's password.
//
// It is written under a name of its own (the target with ".partial" added) and renamed to
// the target only when whole, so that a copy that was cancelled or killed half-way never
// looks like a backup. An unfinished copy is removed when the object goes.
class CDatabaseBackup {
public:
    // Pages copied by one step: a few megabytes, so that a progress dialog stays lively.
    static constexpr int kStepPages = 1024;

    // Starts copying the main database of `source` (an open connection that has no
    // transaction of its own open) to `target`, which is replaced when the copy is done.
    // Throws CDbException.
    CDatabaseBackup(CDatabase& source, const QString& target);
    ~CDatabaseBackup();
    CDatabaseBackup(const CDatabaseBackup&) = delete;
    CDatabaseBackup& operator=(const CDatabaseBackup&) = delete;

    // Copies up to `pages` more pages; true once the copy is whole and in place under the
    // target's name. Throws CDbException (the copy is then abandoned).
    bool step(int pages = kStepPages);
    // Copies the rest at once.
    void runToEnd();
    // The source's pages, and how many are still to copy (known after the first step).
    int pageCount() const;
    int remaining() const;

    // The name the copy has while it is made.
    static QString partialPathOf(const QString& target);

private:
    void finish();
    void abandon();

    CDatabase& m_source;
    QString m_target;
    QString m_partial;
    EngineHandle m_copy;
    sqlite3_backup* m_backup = nullptr;
    bool m_reading = false;
    bool m_done = false;
};
