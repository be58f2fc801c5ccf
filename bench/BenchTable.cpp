#include "BenchTable.h"

#include <sqlite3.h>

#include <QFile>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace {

double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace

void Stopwatch::restart() {
    m_cpuStartMs = processCpuMs();
    m_wall.start();
}

Timing Stopwatch::elapsed() const {
    return {processCpuMs() - m_cpuStartMs, static_cast<double>(m_wall.nsecsElapsed()) / 1e6};
}

void BenchTable::add(const QString& operation, const Timing& ours, const Timing& engine,
                     const QString& note) {
    m_rows.push_back({operation, ours, engine, note});
    std::printf("  %-52s %10.2f ms\n", qPrintable(operation), ours.cpuMs);
    std::fflush(stdout);
}

void BenchTable::print() const {
    std::printf("\nprocessor time in ms; the wall-clock time of ours beside it\n");
    std::printf("%-52s %10s %10s %8s %10s  %s\n", "operation", "ours ms", "engine ms", "ratio",
                "ours wall", "note");
    for (const Row& row : m_rows) {
        if (row.engine.cpuMs < 0) {
            std::printf("%-52s %10.2f %10s %8s %10.2f  %s\n", qPrintable(row.operation),
                        row.ours.cpuMs, "-", "-", row.ours.wallMs, qPrintable(row.note));
            continue;
        }
        const double ratio = row.engine.cpuMs > 0 ? row.ours.cpuMs / row.engine.cpuMs : 0;
        std::printf("%-52s %10.2f %10.2f %8.1f %10.2f  %s\n", qPrintable(row.operation),
                    row.ours.cpuMs, row.engine.cpuMs, ratio, row.ours.wallMs, qPrintable(row.note));
    }
    std::fflush(stdout);
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

Timing EngineConnection::time(const QString& sql) {
    const Stopwatch timer;
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
    return timer.elapsed();
}
