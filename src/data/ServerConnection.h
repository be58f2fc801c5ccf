#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

#include "data/DbException.h"

struct pg_conn;
struct pg_result;

// A failure reported by the team's server: its words, and its SQLSTATE code ("28P01",
// "42501", ...; empty when the server was never reached).
class CServerError : public CDbException {
public:
    CServerError(const QString& description, const QString& sqlState = {});
    const QString& sqlState() const { return m_sqlState; }
    // Whether the connection was lost (SQLSTATE class 08, or a server that shut down).
    bool connectionLost() const;

private:
    QString m_sqlState;
};

// The rows of one statement's result, as the server's texts.
class CServerResult {
public:
    explicit CServerResult(pg_result* result);
    int rowCount() const;
    int columnCount() const;
    bool isNull(int row, int column) const;
    // The value as text (UTF-8 decoded); an empty text for NULL.
    QString text(int row, int column) const;
    // The value's bytes in the server's text format, valid while the result lives.
    QByteArrayView bytes(int row, int column) const;
    QString columnName(int column) const;
    // The server's type of a column (its type OID: 20 bigint, 25 text, 1114 timestamp, ...).
    unsigned columnType(int column) const;
    // The rows an INSERT, UPDATE or DELETE touched; -1 for any other statement.
    qint64 affectedRows() const;
    // Whether the statement was an INSERT, UPDATE or DELETE.
    bool changedRows() const;

private:
    std::shared_ptr<pg_result> m_result;
};

// One connection to a PostgreSQL server, given as a libpq connection URI
// ("postgresql://user@host:port/dbname?sslmode=require") and the password of its user,
// which never becomes part of the URI. Every value reaches the server as a bound
// parameter. Every failure throws CServerError with the server's words; the failures a
// user can mend (server not reached, wrong password, no such database) get plain words
// first.
class CServerConnection {
public:
    CServerConnection(const QString& uri, const QString& password);
    ~CServerConnection();
    CServerConnection(const CServerConnection&) = delete;
    CServerConnection& operator=(const CServerConnection&) = delete;

    // Runs one statement; parameters are $1, $2, ...: an invalid QVariant binds NULL,
    // anything else its text.
    CServerResult exec(const QString& sql, const QVariantList& parameters = {});
    // The columns a statement would return, without running it.
    CServerResult describe(const QString& sql);
    // Runs a query and hands its rows to `row` one at a time, so that a large table is
    // never held whole.
    void forEachRow(const QString& sql, const QVariantList& parameters,
                    const std::function<void(const CServerResult&)>& row);

    // The server's bulk copy: begin with a "COPY ... FROM STDIN" statement, send rows in
    // the text format (see copyLine), end with endCopy(). A failure of the copy is thrown
    // by endCopy() at the latest.
    void beginCopy(const QString& copySql);
    void putCopyData(const QByteArray& data);
    void endCopy();

    // Whether a transaction is open (also one that failed and waits for its rollback).
    bool inTransaction() const;
    // Ends the open transaction (and a bulk copy under way) without its changes.
    void rollback() noexcept;

    // The notifications that arrived since the last call, as "channel payload" texts, for
    // a connection that LISTENs; only those this connection's own session sent unless
    // `fromOtherSessions`.
    QStringList notifications(bool fromOtherSessions = true);

    // The user and database the connection was made with.
    QString user() const;
    QString database() const;
    // The host and port, for messages.
    QString server() const;
    // The socket the server's messages arrive on, for a notifier that waits for them.
    int socket() const;
    // Whether the connection runs over TLS.
    bool usesTls() const;
    // Whether the server still answers on this connection, outside a transaction: one round
    // trip, far cheaper than making a connection anew.
    bool stillAnswers();

private:
    [[noreturn]] void fail(pg_result* result) const;
    // Asks the server to stop the running statement and drops what it still sends.
    void cancelRunning() noexcept;
    pg_conn* m_conn = nullptr;
    // Between beginCopy() and endCopy().
    bool m_copying = false;
};

// The problem with a server URI as the user gave it, in plain words; empty when there is
// none. A URI that holds a password is refused: the password is asked for each time.
QString serverUriProblem(const QString& uri);

// One row in the text format of the server's bulk copy: values separated by tabs, NULL as
// \N, backslash, tab, carriage return and line feed escaped; ends with a line feed.
QByteArray copyLine(const QVariantList& values);
