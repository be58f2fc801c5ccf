#include "data/DatabaseBackup.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <cstdio>
#include <utility>

#include "data/Database.h"
#include "data/EngineError.h"
#include "data/Statement.h"

namespace {

void run(sqlite3* handle, const QString& sql) {
    CStatement(handle, sql).execute();
}

void removeWithSideFiles(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

}  // namespace

QString CDatabaseBackup::partialPathOf(const QString& target) {
    return target + QStringLiteral(".partial");
}

CDatabaseBackup::CDatabaseBackup(CDatabase& source, const QString& target)
    : m_source(source), m_target(target), m_partial(partialPathOf(target)) {
    if (!source.IsOpen())
        throw databaseClosedError();
    // A copy left by a run that was killed half-way is of no use.
    removeWithSideFiles(m_partial);
    try {
        m_copy = openEngineFile(m_partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        configureEngineHandle(m_copy.get(), source.password());
        // The source's state at this moment is the one copied, whatever is saved later.
        run(source.handle(), QStringLiteral("BEGIN"));
        m_reading = true;
        run(source.handle(), QStringLiteral("SELECT count(*) FROM main.sqlite_master"));
        m_backup = sqlite3_backup_init(m_copy.get(), "main", source.handle(), "main");
        if (!m_backup)
            throw engineError(m_copy.get());
    } catch (...) {
        abandon();
        throw;
    }
}

CDatabaseBackup::~CDatabaseBackup() {
    if (!m_done)
        abandon();
}

bool CDatabaseBackup::step(int pages) {
    if (m_done)
        return true;
    const int rc = sqlite3_backup_step(m_backup, pages);
    if (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        return false;
    if (rc != SQLITE_DONE) {
        const CDbException error = engineError(m_copy.get());
        abandon();
        throw error;
    }
    try {
        finish();
    } catch (...) {
        abandon();
        throw;
    }
    return true;
}

void CDatabaseBackup::runToEnd() {
    while (!step(-1)) {
    }
}

int CDatabaseBackup::pageCount() const {
    return m_backup ? sqlite3_backup_pagecount(m_backup) : 0;
}

int CDatabaseBackup::remaining() const {
    return m_backup ? sqlite3_backup_remaining(m_backup) : 0;
}

void CDatabaseBackup::finish() {
    const int rc = sqlite3_backup_finish(m_backup);
    m_backup = nullptr;
    if (rc != SQLITE_OK)
        throw engineError(m_copy.get());
    m_reading = false;
    run(m_source.handle(), QStringLiteral("COMMIT"));
    // The copy carries the source's journal setting; a backup is a file at rest, readable
    // without the write-ahead log's side files.
    run(m_copy.get(), QStringLiteral("PRAGMA journal_mode = DELETE"));
    sqlite3_close_v2(m_copy.release());
    if (std::rename(QFile::encodeName(m_partial).constData(),
                    QFile::encodeName(m_target).constData()) != 0)
        throw dbError(SQLITE_IOERR, QStringLiteral("Could not write the file '%1'.")
                                        .arg(QDir::toNativeSeparators(m_target)));
    m_done = true;
}

void CDatabaseBackup::abandon() {
    if (m_backup)
        sqlite3_backup_finish(m_backup);
    m_backup = nullptr;
    if (std::exchange(m_reading, false) && m_source.IsOpen())
        sqlite3_exec(m_source.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(m_copy.release());
    removeWithSideFiles(m_partial);
    m_done = true;
}
