#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// Another program on the contacts file: the standard sqlite3 tool for a plain file, the
// sqlcipher tool for an encrypted one, each a real process of its own.
class OutsideClient {
public:
    // Runs one statement in a client that opens the file, prints the result and closes it;
    // the output without the final line break.
    static QString query(const QString& path, const QString& sql, const QString& password = {});

    // Starts a client that opens the file, reads it once and stays open (holding the
    // engine's shared lock) until finish() or the object's end.
    explicit OutsideClient(const QString& path, const QString& password = {});
    ~OutsideClient();
    OutsideClient(const OutsideClient&) = delete;
    OutsideClient& operator=(const OutsideClient&) = delete;

    // Runs statements in the open client and waits for their output.
    QString run(const QString& sql);
    // Ends the client normally (as a user closing it).
    void finish();
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
};

// Whether the process holds a POSIX lock on the file, as /proc/locks lists it.
bool processHoldsLockOn(qint64 pid, const QString& path);
