#include "data/ServerConnection.h"

#include <libpq-fe.h>

#include <vector>

namespace {

QString fromServer(const char* text) {
    return QString::fromUtf8(text ? text : "");
}

QString trimmedServerWords(const char* text) {
    return fromServer(text).trimmed();
}

// Plain words for the connection failures a user can mend, the server's own words after
// them. libpq gives no SQLSTATE for a failed start-up, so its (English) words are read.
CServerError connectError(pg_conn* conn) {
    const QString words = trimmedServerWords(PQerrorMessage(conn));
    const QString user = fromServer(PQuser(conn));
    const QString database = fromServer(PQdb(conn));
    const QString server = fromServer(PQhost(conn)) + u':' + fromServer(PQport(conn));
    QString plain;
    QString state;
    if (words.contains(QLatin1String("password authentication failed")) ||
        words.contains(QLatin1String("no password supplied"))) {
        plain = QStringLiteral(
                    "The server %1 did not accept the password of the user \"%2\". "
                    "Check the password (letter case counts) and try again.")
                    .arg(server, user);
        state = QStringLiteral("28P01");
    } else if (words.contains(QLatin1String("database \"")) &&
               words.contains(QLatin1String("does not exist"))) {
        plain = QStringLiteral(
                    "The server %1 has no database \"%2\". Check the name in the "
                    "server address, or ask the server's administrator to create "
                    "the database.")
                    .arg(server, database);
        state = QStringLiteral("3D000");
    } else if (words.contains(QLatin1String("Connection refused")) ||
               words.contains(QLatin1String("could not connect")) ||
               words.contains(QLatin1String("timeout expired")) ||
               words.contains(QLatin1String("could not translate host name")) ||
               words.contains(QLatin1String("No route to host"))) {
        plain = QStringLiteral(
                    "The server %1 could not be reached. Check the server address "
                    "and that the server is running, then try again.")
                    .arg(server);
        state = QStringLiteral("08001");
    } else {
        plain = QStringLiteral("Tarvex could not connect to the server %1.").arg(server);
    }
    return CServerError(plain + QStringLiteral("\n\nThe server said: ") + words, state);
}

}  // namespace

CServerError::CServerError(const QString& description, const QString& sqlState)
    : CDbException(0, description), m_sqlState(sqlState) {}

bool CServerError::connectionLost() const {
    return m_sqlState.startsWith(QLatin1String("08")) ||
           m_sqlState.startsWith(QLatin1String("57P"));
}

CServerResult::CServerResult(pg_result* result) : m_result(result, PQclear) {}

int CServerResult::rowCount() const {
    return PQntuples(m_result.get());
}

int CServerResult::columnCount() const {
    return PQnfields(m_result.get());
}

bool CServerResult::isNull(int row, int column) const {
    return PQgetisnull(m_result.get(), row, column) != 0;
}

QString CServerResult::text(int row, int column) const {
    const auto* result = m_result.get();
    return QString::fromUtf8(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

QByteArrayView CServerResult::bytes(int row, int column) const {
    const auto* result = m_result.get();
    return QByteArrayView(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

QString CServerResult::columnName(int column) const {
    return QString::fromUtf8(PQfname(m_result.get(), column));
}

unsigned CServerResult::columnType(int column) const {
    return PQftype(m_result.get(), column);
}

qint64 CServerResult::affectedRows() const {
    const QByteArray command(PQcmdStatus(m_result.get()));
    if (!command.startsWith("INSERT") && !command.startsWith("UPDATE") &&
        !command.startsWith("DELETE"))
        return -1;
    return QByteArray(PQcmdTuples(m_result.get())).toLongLong();
}

bool CServerResult::changedRows() const {
    const QByteArrayView command(PQcmdStatus(m_result.get()));
    return command.startsWith("INSERT ") || command.startsWith("UPDATE ") ||
           command.startsWith("DELETE ");
}

CServerConnection::CServerConnection(const QString& uri, const QString& password) {
    if (const QString problem = serverUriProblem(uri); !problem.isEmpty())
        throw CServerError(problem);
    const QByteArray uriBytes = uri.toUtf8();
    const QByteArray passwordBytes = password.toUtf8();
    // The URI comes after the defaults so that its own settings win; the password and the
    // encoding come after it so that nothing in it can change them.
    const char* keywords[] = {"connect_timeout", "application_name", "dbname",
                              "password",        "client_encoding",  nullptr};
    const char* values[] = {"10",   "Tarvex", uriBytes.constData(), passwordBytes.constData(),
                            "UTF8", nullptr};
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (!m_conn)
        throw CServerError(QStringLiteral("Tarvex could not connect: out of memory."));
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const CServerError error = connectError(m_conn);
        PQfinish(m_conn);
        throw error;
    }
    // Moments are read and written as "YYYY-MM-DD HH:MM:SS", as the contacts file keeps them.
    try {
        exec(QStringLiteral("SET DateStyle = 'ISO, YMD'"));
    } catch (...) {
        PQfinish(m_conn);
        throw;
    }
}

CServerConnection::~CServerConnection() {
    PQfinish(m_conn);
}

void CServerConnection::fail(pg_result* result) const {
    QString words;
    QString state;
    if (result) {
        words = trimmedServerWords(PQresultErrorMessage(result));
        state = fromServer(PQresultErrorField(result, PG_DIAG_SQLSTATE));
        PQclear(result);
    }
    if (words.isEmpty())
        words = trimmedServerWords(PQerrorMessage(m_conn));
    // A server that shut down ends its sessions with 57P01..57P03 before it goes.
    if (PQstatus(m_conn) == CONNECTION_BAD || state.startsWith(QLatin1String("08")) ||
        state.startsWith(QLatin1String("57P")))
        throw CServerError(QStringLiteral("The connection to the server %1 was lost.\n\nThe "
                                          "server said: %2")
                               .arg(server(), words),
                           state.isEmpty() ? QStringLiteral("08006") : state);
    throw CServerError(words, state);
}

namespace {

// Keeps the bytes of bound parameters alive while a statement is sent.
struct BoundParameters {
    explicit BoundParameters(const QVariantList& parameters) {
        bytes.reserve(parameters.size());
        for (const QVariant& value : parameters)
            bytes.push_back(value.isNull() ? QByteArray() : value.toString().toUtf8());
        for (qsizetype i = 0; i < parameters.size(); ++i)
            pointers.push_back(parameters[i].isNull() ? nullptr : bytes[i].constData());
    }
    int count() const { return static_cast<int>(pointers.size()); }
    std::vector<QByteArray> bytes;
    std::vector<const char*> pointers;
};

}  // namespace

CServerResult CServerConnection::exec(const QString& sql, const QVariantList& parameters) {
    const BoundParameters bound(parameters);
    pg_result* result = PQexecParams(m_conn, sql.toUtf8().constData(), bound.count(), nullptr,
                                     bound.pointers.data(), nullptr, nullptr, 0);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(result);
    return CServerResult(result);
}

CServerResult CServerConnection::describe(const QString& sql) {
    pg_result* prepared = PQprepare(m_conn, "", sql.toUtf8().constData(), 0, nullptr);
    if (!prepared || PQresultStatus(prepared) != PGRES_COMMAND_OK)
        fail(prepared);
    PQclear(prepared);
    pg_result* result = PQdescribePrepared(m_conn, "");
    if (!result || PQresultStatus(result) != PGRES_COMMAND_OK)
        fail(result);
    return CServerResult(result);
}

void CServerConnection::forEachRow(const QString& sql, const QVariantList& parameters,
                                   const std::function<void(const CServerResult&)>& row) {
    const BoundParameters bound(parameters);
    if (!PQsendQueryParams(m_conn, sql.toUtf8().constData(), bound.count(), nullptr,
                           bound.pointers.data(), nullptr, nullptr, 0))
        fail(nullptr);
    PQsetSingleRowMode(m_conn);
    // Every result is taken, also after a failure, so that the connection is ready for the
    // next statement; the first failure is thrown then.
    pg_result* failure = nullptr;
    while (pg_result* result = PQgetResult(m_conn)) {
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_SINGLE_TUPLE && !failure) {
            const CServerResult one(result);
            try {
                row(one);
            } catch (...) {
                cancelRunning();
                throw;
            }
        } else if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK || failure) {
            PQclear(result);
        } else {
            failure = result;
        }
    }
    if (failure)
        fail(failure);
}

void CServerConnection::beginCopy(const QString& copySql) {
    pg_result* result = PQexec(m_conn, copySql.toUtf8().constData());
    if (!result || PQresultStatus(result) != PGRES_COPY_IN)
        fail(result);
    PQclear(result);
    m_copying = true;
}

void CServerConnection::putCopyData(const QByteArray& data) {
    if (PQputCopyData(m_conn, data.constData(), static_cast<int>(data.size())) != 1)
        fail(nullptr);
}

void CServerConnection::endCopy() {
    m_copying = false;
    if (PQputCopyEnd(m_conn, nullptr) != 1)
        fail(nullptr);
    pg_result* failure = nullptr;
    while (pg_result* result = PQgetResult(m_conn)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK && !failure)
            failure = result;
        else
            PQclear(result);
    }
    if (failure)
        fail(failure);
}

bool CServerConnection::inTransaction() const {
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

void CServerConnection::rollback() noexcept {
    if (PQstatus(m_conn) != CONNECTION_OK)
        return;
    if (m_copying) {
        m_copying = false;
        // A copy ended with an error message fails on the server, which drops its rows.
        PQputCopyEnd(m_conn, "cancelled by Tarvex");
        while (pg_result* result = PQgetResult(m_conn))
            PQclear(result);
    }
    PQclear(PQexec(m_conn, "ROLLBACK"));
}

void CServerConnection::cancelRunning() noexcept {
    if (PGcancel* cancel = PQgetCancel(m_conn)) {
        char words[256];
        PQcancel(cancel, words, sizeof words);
        PQfreeCancel(cancel);
    }
    while (pg_result* result = PQgetResult(m_conn))
        PQclear(result);
}

QStringList CServerConnection::notifications(bool fromOtherSessions) {
    QStringList arrived;
    if (!PQconsumeInput(m_conn))
        fail(nullptr);
    const int ownSession = PQbackendPID(m_conn);
    while (PGnotify* notification = PQnotifies(m_conn)) {
        if (fromOtherSessions || notification->be_pid == ownSession)
            arrived << fromServer(notification->relname) + u' ' + fromServer(notification->extra);
        PQfreemem(notification);
    }
    return arrived;
}

bool CServerConnection::stillAnswers() {
    if (PQstatus(m_conn) != CONNECTION_OK || inTransaction())
        return false;
    try {
        exec(QStringLiteral("SELECT 1"));
        return true;
    } catch (const CServerError&) {
        return false;
    }
}

QString CServerConnection::user() const {
    return fromServer(PQuser(m_conn));
}

QString CServerConnection::database() const {
    return fromServer(PQdb(m_conn));
}

QString CServerConnection::server() const {
    return fromServer(PQhost(m_conn)) + u':' + fromServer(PQport(m_conn));
}

int CServerConnection::socket() const {
    return PQsocket(m_conn);
}

bool CServerConnection::usesTls() const {
    return PQsslInUse(m_conn) != 0;
}

QString serverUriProblem(const QString& uri) {
    const QString trimmed = uri.trimmed();
    if (!trimmed.startsWith(QLatin1String("postgresql://")) &&
        !trimmed.startsWith(QLatin1String("postgres://")))
        return QStringLiteral(
            "The server address must be a connection URI such as "
            "postgresql://user@host:5432/contacts?sslmode=require.");
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(trimmed.toUtf8().constData(), &parseError);
    if (!options) {
        const QString words = fromServer(parseError).trimmed();
        PQfreemem(parseError);
        return QStringLiteral("The server address cannot be read: %1").arg(words);
    }
    bool hasPassword = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        if (qstrcmp(option->keyword, "password") == 0 && option->val && *option->val)
            hasPassword = true;
    PQconninfoFree(options);
    if (hasPassword)
        return QStringLiteral(
            "Leave the password out of the server address: Tarvex asks for "
            "it each time and never keeps it.");
    return {};
}

QByteArray copyLine(const QVariantList& values) {
    QByteArray line;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            line += '\t';
        if (values[i].isNull()) {
            line += "\\N";
            continue;
        }
        for (const char c : values[i].toString().toUtf8()) {
            switch (c) {
                case '\\':
                    line += "\\\\";
                    break;
                case '\t':
                    line += "\\t";
                    break;
                case '\n':
                    line += "\\n";
                    break;
                case '\r':
                    line += "\\r";
                    break;
                default:
                    line += c;
            }
        }
    }
    line += '\n';
    return line;
}
