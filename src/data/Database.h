#pragma once

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "data/ChangeRecorder.h"
#include "data/DbException.h"
#include "data/WriteGate.h"

struct sqlite3;
class CRecordSet;
class CServerConnection;
class CStoredObjects;

// One connection to the database file: a plain SQLite file, or an SQLCipher-encrypted one
// when it has a password. Every failure throws CDbException.
class CDatabase {
public:
    // Whose changes on the team's server a connection passes on to the change notifier:
    // its own, or every client's too. One connection of the program hears every client (the
    // shared one), so that a change is announced once, and never by a connection that reads
    // on a worker thread or in the middle of a subscriber's read.
    enum class Hears { OwnChanges, EveryClient };

    explicit CDatabase(Hears hears = Hears::OwnChanges);
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Opens an existing file (never creates one) and checks at once that it can be read
    // with the password of the connect text (";PWD=secret"; the key name in any letter
    // case). A file without a password opens whatever password is given; an encrypted
    // one needs its own ("Not a valid password." otherwise). `exclusive` locks out every other
    // connection while this one is open. A connection that is open is closed first.
    void Open(const QString& path, bool exclusive = false, bool readOnly = false,
              const QString& connect = {});
    // Whether a database path is the address of a team's server (a libpq URI).
    static bool isServerAddress(const QString& path);
    // Opens the team's server instead of a file (Open() does so for a server address): `uri` is a
    // libpq connection URI without a password. The server's schema must be there already, at this
    // program's version or an older one, which is brought up to date. Every change this connection
    // commits, and with Hears::EveryClient every other client's too, is announced on the change
    // notifier as it arrives. A user who may only read the tables gets a read-only connection.
    // `onlyReads` asks for one that reads and hears nothing (for work in the background).
    void OpenServer(const QString& uri, const QString& password, bool onlyReads = false);
    // Closes the connection and every record set open on it.
    void Close();
    bool IsOpen() const { return m_handle != nullptr || m_server != nullptr; }
    // The path of the open file, or the URI of the open server.
    QString GetName() const { return m_path; }
    // Whether the connection is to the team's server rather than a file.
    bool isServer() const { return m_server != nullptr; }
    // The server connection; only when isServer().
    CServerConnection& server() const { return *m_server; }
    // Whether the connection may only read (a server user without the right to write).
    bool isReadOnly() const { return m_readOnly; }
    // Whether a transaction is open on the connection.
    bool inTransaction() const;
    // The password the open file was opened with: empty for a file without one, even
    // when the connect text gave one.
    QString password() const { return m_password; }

    // Creates a new database file with the full schema, encrypted when a password is given.
    // Refuses when the file exists.
    static void Create(const QString& path, const QString& password);

    // Replaces the database password on a connection opened exclusively with the old one.
    // An empty password means an unencrypted file. A wrong old password changes nothing
    // and throws. The connection may be closed afterwards; the caller reopens it.
    void SetPassword(const QString& oldPassword, const QString& newPassword);

    // Replaces the open file by a copy of the backup's (with the backup's password), on a
    // connection opened exclusively: first a copy of the current file is written to
    // `keepCurrentAs` (unless empty). The file stays locked until it is replaced, and the
    // connection is closed afterwards; the caller reopens it with the backup's password. A
    // failure leaves the file as it was and throws.
    void ReplaceWith(CDatabase& backup, const QString& keepCurrentAs);

    // Runs statements in the engine's dialect (see SqlDialect.h).
    void Execute(const QString& engineSql);

    // Gives back the cached pages that no statement holds; a connection that read a large
    // result once (a list's ids) then keeps only what it still reads.
    void ReleaseMemory();

    // The journal the open file keeps: "wal", or "delete" on a network file system.
    QString journalMode() const { return m_journalMode; }
    // The network file system that holds the open file ("nfs", "cifs", ...), or "" on a
    // local disk.
    QString networkFileSystem() const { return m_networkFileSystem; }

    // When this connection last committed a write; null when it has written nothing.
    QDateTime lastCommit() const { return m_lastCommit; }

    // Announces on the change notifier what this connection has committed and not yet
    // announced; nothing while a transaction is open. Statements run through the connection
    // call it when they return.
    void announceCommitted() { m_changes.announceCommitted(); }
    // The engine's count of commits by other connections to the file (PRAGMA data_version):
    // it moves when another program or another connection of this one wrote.
    qint64 dataVersion();

    // The error of a file that another program holds while this one needs it alone.
    static CDbException openElsewhere(const QString& path);

    // The password part of a connect text ("" when there is none).
    static QString passwordOf(const QString& connect);

    // For the data layer's own statements.
    sqlite3* handle() const { return m_handle; }

    // The rows the last INSERT, UPDATE or DELETE touched, and the key of the row the last
    // INSERT added.
    qint64 changes() const;
    qint64 lastInsertId();
    // Reads what the server has announced and passes it to the change notifier once no
    // transaction is open: the changes of this connection, and those of every other client
    // when the connection hears them (see Hears).
    void takeServerNotifications();
    // Makes the connection to the server again, as it was opened, after it was lost. The
    // record sets open on it read through the new one; what they copied into the lost
    // session (the rows of a stored query) is read again at their next Requery.
    void reconnectServer();
    // Called by a statement that ran on the server, with the rows it inserted, updated or
    // deleted (nothing for another kind of statement).
    void serverStatementDone(std::optional<qint64> changedRows);

    // Held while an import's transaction is open on this connection.
    CWriteGate& writeGate() { return m_writeGate; }

    // The server's answers about the tables and views read on this connection.
    CStoredObjects& storedObjects() { return *m_storedObjects; }

private:
    friend class CRecordSet;
    void attach(CRecordSet* recordSet);
    void detach(CRecordSet* recordSet);

    void replaceByCopy(const QString& newPassword);
    // Empties the write-ahead log into the file, leaves it, and locks the file for this
    // connection alone until the connection closes.
    void holdAlone();
    // Runs inside every commit: notes the moment.
    static void noteCommit(void* database);

    sqlite3* m_handle = nullptr;
    std::unique_ptr<CServerConnection> m_server;
    QString m_serverPassword;
    qint64 m_serverChanges = 0;
    bool m_serverWrote = false;
    Hears m_hears;
    bool m_readOnly = false;
    // Opened to read only: no LISTEN, read-only transactions.
    bool m_onlyReads = false;
    QString m_path;
    QString m_password;
    QString m_journalMode;
    QString m_networkFileSystem;
    QDateTime m_lastCommit;
    CChangeRecorder m_changes;
    std::vector<CRecordSet*> m_recordSets;
    CWriteGate m_writeGate;
    std::unique_ptr<CStoredObjects> m_storedObjects;
};
