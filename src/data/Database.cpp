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

#include "data/DatabaseCopy.h"
#include "data/EngineError.h"
#include "data/FileDamage.h"
#include "data/JetLike.h"
#include "data/KnownValues.h"
#include "data/NoCaseCollation.h"
#include "data/RecordSet.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

namespace {

constexpr int busyTimeoutMs = 2000;

// Closes a raw connection unless it is handed over.
class HandleGuard {
public:
    explicit HandleGuard(sqlite3* handle) : m_handle(handle) {}
    ~HandleGuard() { sqlite3_close_v2(m_handle); }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    sqlite3* get() const { return m_handle; }
    sqlite3* release() { return std::exchange(m_handle, nullptr); }

private:
    sqlite3* m_handle;
};

// The first column of the first row of a statement, as text.
QString firstValue(sqlite3* handle, const QString& sql) {
    CStatement statement(handle, sql);
    return statement.step() ? statement.text(0) : QString();
}

void run(sqlite3* handle, const QString& sql) {
    CStatement(handle, sql).execute();
}

// Opens a connection with the dialect's LIKE and NOCASE and, for a password, the key.
sqlite3* openHandle(const QString& path, int flags, const QString& password) {
    sqlite3* raw = nullptr;
    // A connection is used by one thread only (the user-interface thread, or the integrity
    // check's own), so the engine need not lock it for each call of a row's columns.
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   flags | SQLITE_OPEN_NOMUTEX, nullptr);
    HandleGuard guard(raw);
    if (rc != SQLITE_OK)
        throw raw ? engineError(raw) : engineError(rc);
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, busyTimeoutMs);
    registerLikeFunction(raw);
    registerNoCaseCollation(raw);
    if (!password.isEmpty()) {
        const QByteArray key = password.toUtf8();
        if (sqlite3_key(raw, key.constData(), static_cast<int>(key.size())) != SQLITE_OK)
            throw engineError(raw);
        // Pins the cipher settings this program writes, so that later SQLCipher versions
        // (which default to other settings) read the same file.
        run(raw, QStringLiteral("PRAGMA cipher_compatibility = 3"));
    }
    // Room for the indexes of a large file (the engine takes the memory only as it is used).
    run(raw, QStringLiteral("PRAGMA cache_size = -65536"));
    return guard.release();
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

// What a file is, by its first bytes: an SQLite file starts with its header text; an
// encrypted one is whole pages of noise (nearly every byte value occurs in its first
// kilobyte, where text, zeros or a damaged header show few); anything else is no database.
FileKind fileKind(const QString& path) {
    static const QByteArray header("SQLite format 3\0", 16);
    constexpr int sample = 1024;
    constexpr int noiseByteValues = 200;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileKind::Plain;  // the engine's own open reports why
    const qint64 size = file.size();
    const QByteArray start = file.read(sample);
    // An empty file is an empty database to the engine.
    if (size == 0 || start.startsWith(header))
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

CDatabase::~CDatabase() {
    Close();
}

void CDatabase::Open(const QString& path, bool exclusive, bool readOnly, const QString& connect) {
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

    const FileKind kind = fileKind(path);
    if (kind == FileKind::NotADatabase)
        throw dbError(SQLITE_NOTADB,
                      QStringLiteral("The file '%1' is not a database, or its beginning is "
                                     "damaged.")
                          .arg(shownPath));
    // As the engine does, a password given for a file that has none is ignored.
    const QString password = kind == FileKind::Plain ? QString() : passwordOf(connect);
    if (kind == FileKind::Encrypted && password.isEmpty())
        throw notAValidPassword();
    const auto openAndRead = [&] {
        HandleGuard opened(
            openHandle(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, password));
        if (exclusive)
            run(opened.get(), QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        // Reading the schema proves now that the password fits and the file is a database.
        firstValue(opened.get(), QStringLiteral("SELECT count(*) FROM sqlite_master"));
        return opened.release();
    };
    sqlite3* raw = nullptr;
    try {
        raw = openAndRead();
    } catch (const CDbException& error) {
        // An encrypted file that the key does not decrypt looks like no database at all.
        if (kind == FileKind::Encrypted && (error.code() & 0xFF) == SQLITE_NOTADB)
            throw notAValidPassword();
        throw;
    }
    HandleGuard owner(raw);
    sqlite3* handle = owner.get();
    if (!readOnly) {
        setJournalMode(handle, QStringLiteral("wal"));
        schema::upgrade(handle);
    }
    if (exclusive) {
        // Takes the lock now rather than at the first write.
        run(handle, QStringLiteral("BEGIN EXCLUSIVE"));
        run(handle, QStringLiteral("COMMIT"));
    }
    m_handle = owner.release();
    m_path = path;
    m_password = password;
}

void CDatabase::Close() {
    while (!m_recordSets.empty())
        m_recordSets.back()->Close();
    if (m_handle)
        sqlite3_close_v2(m_handle);
    m_handle = nullptr;
    m_path.clear();
    m_password.clear();
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
    try {
        HandleGuard owner(openHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, password));
        sqlite3* handle = owner.get();
        setJournalMode(handle, QStringLiteral("wal"));
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
    if (m_handle)
        sqlite3_db_release_memory(m_handle);
}

void CDatabase::Execute(const QString& engineSql) {
    if (!m_handle)
        throw databaseClosedError();
    if (filedamage::isDamaged())
        throw filedamage::refusedWrite();
    // Whatever the statement wrote, the known values are read again in full.
    NoteAllKnownValuesChanged();
    const QByteArray sql = toSqlite(engineSql).toUtf8();
    if (sqlite3_exec(m_handle, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw engineError(m_handle);
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
        setJournalMode(m_handle, QStringLiteral("wal"));
        throw error;
    }
    m_password = newPassword;
    setJournalMode(m_handle, QStringLiteral("wal"));
}

void CDatabase::replaceByCopy(const QString& newPassword) {
    const QString path = m_path;
    checkpoint(m_handle);
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
        Close();
        // The last connection has gone, so the log must be empty; any content would be
        // applied to the new file.
        if (QFileInfo(path + QStringLiteral("-wal")).size() > 0)
            throw engineError(SQLITE_BUSY);
        removeSideFiles(path);
        if (std::rename(QFile::encodeName(copyPath).constData(),
                        QFile::encodeName(path).constData()) != 0)
            throw dbError(SQLITE_IOERR, QStringLiteral("Could not replace the file '%1'.")
                                            .arg(QDir::toNativeSeparators(path)));
        copyFile.setAutoRemove(false);
    } catch (const CDbException&) {
        removeSideFiles(copyPath);
        throw;
    }
}

void CDatabase::attach(CRecordSet* recordSet) {
    m_recordSets.push_back(recordSet);
}

void CDatabase::detach(CRecordSet* recordSet) {
    m_recordSets.erase(std::remove(m_recordSets.begin(), m_recordSets.end(), recordSet),
                       m_recordSets.end());
}
