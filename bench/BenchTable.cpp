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

double peakMemoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void Stopwatch::restart() {
    resetPeakMemory();
    m_cpuStartMs = processCpuMs();
    m_wall.start();
}

Timing Stopwatch::elapsed() const {
    return {processCpuMs() - m_cpuStartMs, static_cast<double>(m_wall.nsecsElapsed()) / 1e6,
            peakMemoryMiB()};
}

void BenchTable::add(const QString& operation, const Timing& ours, const Timing& engine,
                     const QString& note) {
    m_rows.push_back({m_prefix + operation, ours, engine, note});
    std::fprintf(stderr, "  %-56s %10.1f ms\n", qPrintable(m_rows.back().operation), ours.wallMs);
}

void BenchTable::print() const {
    std::printf("\n%-56s %10s %10s %7s %8s  %s\n", "operation", "ours (ms)", "engine (ms)", "ratio",
                "peak (MB)", "note");
    for (const Row& row : m_rows) {
        const QByteArray operation = row.operation.toUtf8();
        const QByteArray note = row.note.toUtf8();
        if (row.engine.wallMs < 0) {
            std::printf("%-56s %10.1f %10s %7s %8.0f  %s\n", operation.constData(), row.ours.wallMs,
                        "-", "-", row.ours.peakMiB, note.constData());
            continue;
        }
        const double ratio = row.engine.wallMs > 0 ? row.ours.wallMs / row.engine.wallMs : 0;
        std::printf("%-56s %10.1f %10.1f %7.2f %8.0f  %s\n", operation.constData(), row.ours.wallMs,
                    row.engine.wallMs, ratio, row.ours.peakMiB, note.constData());
    }
    double peak = 0;
    for (const Row& row : m_rows)
        peak = std::max(peak, row.ours.peakMiB);
    std::printf("%-56s %10s %10s %7s %8.0f\n", "peak memory of the whole run", "", "", "", peak);
    std::fflush(stdout);
}

QString sqlText(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

EngineConnection::EngineConnection(const QString& path, const QString& password)
    : m_path(path), m_password(password) {
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
    // The pages the engine cached for its statement are not the program's memory.
    sqlite3_db_release_memory(m_handle);
    return timer.elapsed();
}

qint64 EngineConnection::number(const QString& sql) {
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_handle, text.constData(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_handle));
    const qint64 value =
        sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
    sqlite3_finalize(statement);
    return value;
}

QString EngineConnection::like(const QString& expression, const QString& pattern) const {
    return QStringLiteral("%1 LIKE %2").arg(expression, sqlText(pattern));
}

std::unique_ptr<Reference> EngineConnection::connectAgain() const {
    return std::make_unique<EngineConnection>(m_path, m_password);
}
