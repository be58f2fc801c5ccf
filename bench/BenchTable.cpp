#include "BenchTable.h"

#include <sqlite3.h>

#include <QFile>
#include <cstdio>
#include <stdexcept>

void BenchTable::add(const QString& operation, double oursMs, double engineMs,
                     const QString& note) {
    m_rows.push_back({operation, oursMs, engineMs, note});
    std::printf("  %-52s %10.2f ms\n", qPrintable(operation), oursMs);
    std::fflush(stdout);
}

void BenchTable::print() const {
    std::printf("\n%-52s %10s %10s %8s  %s\n", "operation", "ours ms", "engine ms", "ratio",
                "note");
    for (const Row& row : m_rows) {
        if (row.engineMs < 0) {
            std::printf("%-52s %10.2f %10s %8s  %s\n", qPrintable(row.operation), row.oursMs, "-",
                        "-", qPrintable(row.note));
            continue;
        }
        const double ratio = row.engineMs > 0 ? row.oursMs / row.engineMs : 0;
        std::printf("%-52s %10.2f %10.2f %8.1f  %s\n", qPrintable(row.operation), row.oursMs,
                    row.engineMs, ratio, qPrintable(row.note));
    }
    std::fflush(stdout);
}

double elapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

EngineConnection::EngineConnection(const QString& path, const QString& password) {
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_handle, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_handle));
    if (!password.isEmpty()) {
        const QByteArray key = password.toUtf8();
        sqlite3_key(m_handle, key.constData(), static_cast<int>(key.size()));
        time(QStringLiteral("PRAGMA cipher_compatibility = 3"));
    }
    sqlite3_busy_timeout(m_handle, 2000);
    time(QStringLiteral("PRAGMA cache_size = -65536"));
}

EngineConnection::~EngineConnection() {
    sqlite3_close_v2(m_handle);
}

double EngineConnection::time(const QString& sql) {
    QElapsedTimer timer;
    timer.start();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_handle, text.constData(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_handle));
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        // Every column is read, as the program reads its rows.
        for (int i = 0; i < sqlite3_column_count(statement); ++i)
            sqlite3_column_text(statement, i);
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(m_handle));
    return elapsedMs(timer);
}
