#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

class CServerConnection;

// A private PostgreSQL server for tests: a cluster made by initdb in a temporary folder,
// run by the server's own system user when the tests run as root, listening on 127.0.0.1
// only, on a free port. Every connection over TCP must give its password
// (scram-sha-256), so that a wrong one is really refused; TLS is on with a self-signed
// certificate, and optional. The administrator reaches it through the folder's socket.
// The destructor stops the server (fast) and removes the folder; should the test program
// crash, a watcher does it.
class PgTestServer {
public:
    static constexpr const char* kUser = "tarvex_test";
    static constexpr const char* kPassword = "Sécret 'pw";

    // Starts the server and makes the role kUser with kPassword. Throws std::runtime_error
    // with the server's log when it cannot.
    PgTestServer();
    ~PgTestServer();
    PgTestServer(const PgTestServer&) = delete;
    PgTestServer& operator=(const PgTestServer&) = delete;

    int port() const { return m_port; }
    // The server's self-signed certificate, which is also its own issuer's.
    QString certificate() const { return m_dir.filePath(QStringLiteral("data/server.crt")); }
    // The URI of a database for a user, over TCP, with an optional query ("sslmode=require").
    QString uri(const QString& database, const QString& user = QLatin1String(kUser),
                const QString& query = {}) const;
    // A new empty database owned by kUser; returns its URI.
    QString createDatabase();
    // A connection as the administrator to a database ("postgres" by default).
    std::unique_ptr<CServerConnection> admin(const QString& database = QStringLiteral("postgres"));

    void stop();
    void start();
    bool running() const { return m_running; }

private:
    void runAsServerUser(const QString& program, const QStringList& arguments);
    void watchOverTheTests();
    QString binary(const QString& name) const;

    QTemporaryDir m_dir;
    QString m_bin;
    int m_port = 0;
    int m_databases = 0;
    bool m_running = false;
};
