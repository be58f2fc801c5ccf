#include "ServerReference.h"

#include "data/ServerSql.h"

ServerReference::ServerReference(const QString& uri, const QString& password)
    : m_uri(uri), m_password(password), m_server(uri, password) {}

Timing ServerReference::time(const QString& sql) {
    const QString serverSql = toServerSql(sql);
    const Stopwatch timer;
    const CServerResult rows = m_server.exec(serverSql);
    // Every value is read, as the program reads its rows.
    for (int row = 0; row < rows.rowCount(); ++row) {
        for (int column = 0; column < rows.columnCount(); ++column)
            rows.bytes(row, column);
    }
    return timer.elapsed();
}

qint64 ServerReference::number(const QString& sql) {
    const CServerResult rows = m_server.exec(toServerSql(sql));
    return rows.rowCount() > 0 ? rows.text(0, 0).toLongLong() : 0;
}

QString ServerReference::like(const QString& expression, const QString& pattern) const {
    return QStringLiteral("CAST(%1 AS text) COLLATE BINARY ILIKE %2")
        .arg(expression, sqlText(pattern));
}

std::unique_ptr<Reference> ServerReference::connectAgain() const {
    return std::make_unique<ServerReference>(m_uri, m_password);
}
