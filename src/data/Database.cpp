#include "data/Database.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "data/DatabaseBackup.h"
#include "data/DatabaseCopy.h"
#include "data/EngineError.h"
#include "data/EngineHandle.h"
#include "data/FileDamage.h"
#include "data/FolderFileSystem.h"
#include "data/RecordSet.h"
#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "data/StoredObjects.h"

namespace {

// The first column of the first row of a statement, as text.
QString firstValue(sqlite3* handle, const QString& sql) {
    CStatement statement(handle, sql);
    return statement.step() ? statement.text(0) : QString();
}

void run(sqlite3* handle, const QString& sql) {
    CStatement(handle, sql).execute();
}

void setJournalMode(sqlite3* handle, const QString& mode) {
    if (firstValue(handle, QStringLiteral("PRAGMA journal_mode = %1").arg(mode))
            .compare(mode, Qt::CaseInsensitive) != 0)
        throw engineError(SQLITE_BUSY);
}

// Moves every change of the write-ahead log into the database file and empties the log.
void checkpoint(sqlite3* handle) {
    CStatement statement(handle, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    if (statement.step() && statement.int64(0) != 0)
        throw engineError(SQLITE_BUSY);
}

enum class FileKind { Plain, Encrypted, NotADatabase };

// What a file is, by its first bytes, read through the connection's own descriptor: an
// SQLite file starts with its header text; an encrypted one is whole pages of noise (nearly
// every byte value occurs in its first kilobyte, where text, zeros or a damaged header show
// few); anything else is no database.
FileKind fileKindOf(sqlite3* handle) {
    static const QByteArray header("SQLite format 3\0", 16);
    constexpr int sample = 1024;
    constexpr int noiseByteValues = 200;
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(handle, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods)
        return FileKind::Plain;  // the engine's first read reports why
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return FileKind::Plain;
    // An empty file is an empty database to the engine.
    if (size == 0)
        return FileKind::Plain;
    QByteArray start(static_cast<qsizetype>(std::min<sqlite3_int64>(size, sample)), '\0');
    if (file->pMethods->xRead(file, start.data(), static_cast<int>(start.size()), 0) != SQLITE_OK)
        return FileKind::Plain;
    if (start.startsWith(header))
        return FileKind::Plain;
    if (size % 512 != 0 || start.size() < sample)
        return FileKind::NotADatabase;
    std::array<bool, 256> seen{};
    int values = 0;
    for (const char byte : start) {
        bool& slot = seen[static_cast<unsigned char>(byte)];
        values += slot ? 0 : 1;
        slot = true;
    }
    return values >= noiseByteValues ? FileKind::Encrypted : FileKind::NotADatabase;
}

bool isWritableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isWritable() && (info.permissions() & QFileDevice::WriteOwner);
}

CDbException notAValidPassword() {
    return dbError(SQLITE_AUTH, QStringLiteral("Not a valid password."));
}

void removeSideFiles(const QString& path) {
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

}  // namespace

CDatabase::CDatabase(Hears hears)
    : m_hears(hears), m_storedObjects(std::make_unique<CStoredObjects>()) {}

CDatabase::~CDatabase() {
    Close();
}

bool CDatabase::isServerAddress(const QString& path) {
    return path.startsWith(QLatin1String("postgresql://")) ||
           path.startsWith(QLatin1String("postgres://"));
}

void CDatabase::Open(const QString& path, bool exclusive, bool readOnly, const QString& connect) {
    if (isServerAddress(path)) {
        // Every user of the store reaches the server the same way; it locks nobody out.
        OpenServer(path, passwordOf(connect), readOnly);
        return;
    }
    Close();
    const QFileInfo file(path);
    const QString shownPath = QDir::toNativeSeparators(file.absoluteFilePath());
    if (!file.exists() || file.isDir())
        throw dbError(SQLITE_CANTOPEN, QStringLiteral("Could not find file '%1'.").arg(shownPath));
    // The owner's write bit is checked as well, since the superuser may write anyway.
    if (!readOnly && (!file.isWritable() || !(file.permissions() & QFileDevice::WriteOwner)))
        throw dbError(SQLITE_READONLY,
                      QStringLiteral("The database file '%1' is read-only. Tarvex saves its "
                                     "data in this file: allow writing to it and try again.")
                          .arg(shownPath));

    if (!readOnly && !isWritableFolder(file.absolutePath()))
        throw dbError(SQLITE_READONLY,
                      QStringLiteral("The folder '%1' that holds the database file cannot be "
                                     "written. Tarvex keeps its working files beside the "
                                     "database: allow writing to the folder and try again.")
                          .arg(QDir::toNativeSeparators(file.absolutePath())));

    EngineHandle opened =
        openEngineFile(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    const FileKind kind = fileKindOf(opened.get());
    if (kind == FileKind::NotADatabase)
        throw dbError(SQLITE_NOTADB,
                      QStringLiteral("The file '%1' is not a database, or its beginning is "
                                     "damaged.")
                          .arg(shownPath));
    // As the engine does, a password given for a file that has none is ignored.
    const QString password = kind == FileKind::Plain ? QString() : passwordOf(connect);
    if (kind == FileKind::Encrypted && password.isEmpty())
        throw notAValidPassword();
    sqlite3* handle = opened.get();
    try {
        configureEngineHandle(handle, password);
        if (exclusive)
            run(handle, QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        // Reading the schema proves now that the password fits and the file is a database;
        // opened alone, it also takes the file from every other connection.
        firstValue(handle, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (const CDbException& error) {
        // An encrypted file that the key does not decrypt looks like no database at all.
        if (kind == FileKind::Encrypted && (error.code() & 0xFF) == SQLITE_NOTADB)
            throw notAValidPassword();
        if (exclusive && (error.code() & 0xFF) == SQLITE_BUSY)
            throw openElsewhere(path);
        throw;
    }
    const QString network = folderfs::networkFileSystemOf(file.absolutePath());
    const QString journal = network.isEmpty() ? QStringLiteral("wal") : QStringLiteral("delete");
    if (!readOnly) {
        try {
            setJournalMode(handle, journal);
        } catch (const CDbException& error) {
            // Leaving the write-ahead log needs the file alone.
            if ((error.code() & 0xFF) == SQLITE_BUSY)
                throw openElsewhere(path);
            throw;
        }
        schema::upgrade(handle);
    }
    if (exclusive) {
        // Takes the lock now rather than at the first write.
        try {
            run(handle, QStringLiteral("BEGIN EXCLUSIVE"));
            run(handle, QStringLiteral("COMMIT"));
        } catch (const CDbException& error) {
            if ((error.code() & 0xFF) == SQLITE_BUSY)
                throw openElsewhere(path);
            throw;
        }
    }
    m_handle = opened.release();
    m_changes.install(m_handle, &CDatabase::noteCommit, this);
    m_path = path;
    m_password = password;
    m_journalMode = journal;
    m_networkFileSystem = network;
}

namespace {

// A connection that only reads hears nothing: it would never take the announcements, and a
// session that does not take them holds up the server's queue of them for every client.
std::unique_ptr<CServerConnection> connectedServer(const QString& uri, const QString& password,
                                                   bool onlyReads) {
    auto server = std::make_unique<CServerConnection>(uri, password);
    const int version = serverschema::version(*server);
    if (version < serverschema::kVersion) {
        serverschema::require(*server);
        try {
            serverschema::ensure(*server);
        } catch (const CServerError& e) {
            // Only the schema's owner may bring it up to date; until they open it, the
            // others work with the older version, which reads and writes the same tables.
            if (version < serverschema::kOldestWorkingVersion ||
                e.sqlState() != QLatin1String("42501"))
                throw;
        }
    }
    if (onlyReads)
        server->exec(QStringLiteral("SET default_transaction_read_only = on"));
    else
        server->exec(QStringLiteral("LISTEN ") + QLatin1String(serverschema::kChangeChannel));
    return server;
}

}  // namespace

void CDatabase::reconnectServer() {
    if (!m_server)
        throw databaseClosedError();
    m_server = connectedServer(m_path, m_serverPassword, m_onlyReads);
}

void CDatabase::OpenServer(const QString& uri, const QString& password, bool onlyReads) {
    Close();
    auto server = connectedServer(uri, password, onlyReads);
    m_readOnly =
        onlyReads ||
        server->exec(QStringLiteral("SELECT has_table_privilege($1, 'INSERT, UPDATE, DELETE')"),
                     {serverschema::quoted(QStringLiteral("Person"))})
                .text(0, 0) != QLatin1String("t");
    m_onlyReads = onlyReads;
    m_server = std::move(server);
    m_path = uri;
    m_serverPassword = password;
    // The first window opened on this connection then asks the catalog nothing: a new
    // session's first look at it costs milliseconds.
    if (!onlyReads)
        m_storedObjects->readAll(*m_server);
}

qint64 CDatabase::changes() const {
    return m_server ? m_serverChanges : sqlite3_changes(m_handle);
}

qint64 CDatabase::lastInsertId() {
    if (!m_server)
        return sqlite3_last_insert_rowid(m_handle);
    return m_server->exec(QStringLiteral("SELECT lastval()")).text(0, 0).toLongLong();
}

bool CDatabase::inTransaction() const {
    if (m_server)
        return m_server->inTransaction();
    return m_handle && sqlite3_get_autocommit(m_handle) == 0;
}

void CDatabase::serverStatementDone(std::optional<qint64> changedRows) {
    // As the engine's count of changes, only a write sets it: a read that a listener to the
    // change notifier runs between a write and its caller's look at it leaves it alone.
    if (changedRows)
        m_serverChanges = *changedRows;
    m_serverWrote = m_serverWrote || changedRows.value_or(0) > 0;
    if (m_serverWrote && !m_server->inTransaction()) {
        m_serverWrote = false;
        m_lastCommit = QDateTime::currentDateTimeUtc();
    }
    takeServerNotifications();
}

void CDatabase::takeServerNotifications() {
    if (!m_server)
        return;
    for (const QString& notification : m_server->notifications(m_hears == Hears::EveryClient))
        m_changes.noteServerChange(notification);
}

void CDatabase::noteCommit(void* database) {
    static_cast<CDatabase*>(database)->m_lastCommit = QDateTime::currentDateTimeUtc();
}

qint64 CDatabase::dataVersion() {
    if (m_server)
        return 0;
    CStatement version(*this, QStringLiteral("PRAGMA data_version"));
    return version.step() ? version.int64(0) : 0;
}

void CDatabase::Close() {
    while (!m_recordSets.empty())
        m_recordSets.back()->Close();
    if (m_handle) {
        // What was committed is announced before the connection goes.
        m_changes.announceCommitted();
        sqlite3_close_v2(m_handle);
    }
    if (m_server)
        m_changes.announceCommitted();
    m_server.reset();
    m_serverPassword.clear();
    m_readOnly = false;
    m_onlyReads = false;
    m_changes.clear();
    m_storedObjects->clear();
    m_handle = nullptr;
    m_path.clear();
    m_password.clear();
    m_journalMode.clear();
    m_networkFileSystem.clear();
}

void CDatabase::Create(const QString& path, const QString& password) {
    const QFileInfo file(path);
    if (file.exists())
        throw dbError(SQLITE_CANTOPEN, QStringLiteral("The file '%1' already exists.")
                                           .arg(QDir::toNativeSeparators(file.absoluteFilePath())));
    if (!isWritableFolder(file.absolutePath()))
        throw dbError(SQLITE_READONLY,
                      QStringLiteral("The folder '%1' cannot be written, so the database file "
                                     "cannot be created there. Allow writing to the folder, "
                                     "or start Tarvex in another folder.")
                          .arg(QDir::toNativeSeparators(file.absolutePath())));
    const bool network = !folderfs::networkFileSystemOf(file.absolutePath()).isEmpty();
    try {
        EngineHandle owner = openEngineFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3* handle = owner.get();
        configureEngineHandle(handle, password);
        setJournalMode(handle, network ? QStringLiteral("delete") : QStringLiteral("wal"));
        run(handle, QStringLiteral("BEGIN"));
        for (const QString& statement : schema::createStatements())
            run(handle, statement);
        run(handle, QStringLiteral("COMMIT"));
    } catch (const CDbException&) {
        // Never leave a half-made database behind.
        QFile::remove(path);
        removeSideFiles(path);
        throw;
    }
}

void CDatabase::ReleaseMemory() {
    if (m_handle && !m_server)
        sqlite3_db_release_memory(m_handle);
}

void CDatabase::Execute(const QString& engineSql) {
    if (!IsOpen())
        throw databaseClosedError();
    if (filedamage::isDamaged())
        throw filedamage::refusedWrite();
    if (m_server) {
        CStatement(*this, toSqlite(engineSql, SqlTarget::Server)).execute();
        return;
    }
    // A table emptied in one step passes no row through the update hook.
    m_changes.noteEverything();
    const QByteArray sql = toSqlite(engineSql).toUtf8();
    if (sqlite3_exec(m_handle, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw engineError(m_handle);
    m_changes.announceCommitted();
}

QString CDatabase::passwordOf(const QString& connect) {
    // The password is the rest of the text after "PWD=", so that it may hold a ";".
    static const QString key = QStringLiteral("pwd=");
    qsizetype at = 0;
    while ((at = connect.indexOf(key, at, Qt::CaseInsensitive)) >= 0) {
        if (at == 0 || connect[at - 1] == u';')
            return connect.mid(at + key.size());
        ++at;
    }
    return {};
}

CDbException CDatabase::openElsewhere(const QString& path) {
    return dbError(SQLITE_BUSY,
                   QStringLiteral("%1 is open in another program; close it and try again.")
                       .arg(QFileInfo(path).fileName()));
}

void CDatabase::SetPassword(const QString& oldPassword, const QString& newPassword) {
    if (!m_handle)
        throw databaseClosedError();
    if (filedamage::isDamaged())
        throw filedamage::refusedWrite();
    if (oldPassword != m_password)
        throw notAValidPassword();
    if (oldPassword.isEmpty() && newPassword.isEmpty())
        return;
    if (oldPassword.isEmpty() || newPassword.isEmpty()) {
        // The engine re-keys only from one key to another; a file is encrypted or
        // decrypted by copying it.
        replaceByCopy(newPassword);
        return;
    }
    checkpoint(m_handle);
    setJournalMode(m_handle, QStringLiteral("delete"));
    const QByteArray key = newPassword.toUtf8();
    const int rc = sqlite3_rekey(m_handle, key.constData(), static_cast<int>(key.size()));
    if (rc != SQLITE_OK) {
        const CDbException error = engineError(m_handle);
        setJournalMode(m_handle, m_journalMode);
        throw error;
    }
    m_password = newPassword;
    setJournalMode(m_handle, m_journalMode);
}

void CDatabase::replaceByCopy(const QString& newPassword) {
    const QString path = m_path;
    holdAlone();
    // The copy is made beside the file, so that it replaces the file by a rename.
    QTemporaryFile copyFile(path + QStringLiteral(".XXXXXX"));
    if (!copyFile.open())
        throw engineError(SQLITE_CANTOPEN);
    copyFile.close();
    const QString copyPath = copyFile.fileName();
    try {
        {
            CStatement attach(m_handle, QStringLiteral("ATTACH DATABASE ?1 AS newdb KEY ?2"));
            attach.bind(1, copyPath);
            attach.bind(2, newPassword);
            attach.execute();
        }
        try {
            if (!newPassword.isEmpty())
                run(m_handle, QStringLiteral("PRAGMA newdb.cipher_compatibility = 3"));
            copyDatabase(*this, QStringLiteral("newdb"));
        } catch (const CDbException&) {
            // The copy's own failure is the one to report.
            sqlite3_exec(m_handle, "DETACH DATABASE newdb", nullptr, nullptr, nullptr);
            throw;
        }
        run(m_handle, QStringLiteral("DETACH DATABASE newdb"));
        removeSideFiles(copyPath);
        if (std::rename(QFile::encodeName(copyPath).constData(),
                        QFile::encodeName(path).constData()) != 0)
            throw dbError(SQLITE_IOERR, QStringLiteral("Could not replace the file '%1'.")
                                            .arg(QDir::toNativeSeparators(path)));
        copyFile.setAutoRemove(false);
    } catch (const CDbException&) {
        removeSideFiles(copyPath);
        setJournalMode(m_handle, m_journalMode);
        throw;
    }
    Close();
}

void CDatabase::holdAlone() {
    // The file stays locked from the copy until after the rename, so that no other program
    // opens the old file in between and goes on writing into a file that is gone. Leaving
    // the write-ahead log first empties it into the file and removes it, so that nothing
    // of the old file's log is ever read with the new one.
    checkpoint(m_handle);
    setJournalMode(m_handle, QStringLiteral("delete"));
    run(m_handle, QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    run(m_handle, QStringLiteral("BEGIN EXCLUSIVE"));
    run(m_handle, QStringLiteral("COMMIT"));
}

void CDatabase::ReplaceWith(CDatabase& backup, const QString& keepCurrentAs) {
    if (!m_handle || !backup.IsOpen())
        throw databaseClosedError();
    holdAlone();
    try {
        if (!keepCurrentAs.isEmpty())
            CDatabaseBackup(*this, keepCurrentAs).runToEnd();
        // The engine's copy replaces the file by a rename while this connection still holds
        // the old one locked.
        CDatabaseBackup(backup, m_path).runToEnd();
    } catch (const CDbException&) {
        setJournalMode(m_handle, m_journalMode);
        throw;
    }
    Close();
}

void CDatabase::attach(CRecordSet* recordSet) {
    m_recordSets.push_back(recordSet);
}

void CDatabase::detach(CRecordSet* recordSet) {
    m_recordSets.erase(std::remove(m_recordSets.begin(), m_recordSets.end(), recordSet),
                       m_recordSets.end());
}
