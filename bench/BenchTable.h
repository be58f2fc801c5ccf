#pragma once

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <memory>
#include <vector>

struct sqlite3;

// The time an operation took, wall-clock (what the user waits) and processor time of the
// process, and the peak resident memory of the process while it ran.
struct Timing {
    double cpuMs = 0;
    double wallMs = 0;
    double peakMiB = 0;
    Timing operator+(const Timing& other) const {
        return {cpuMs + other.cpuMs, wallMs + other.wallMs, std::max(peakMiB, other.peakMiB)};
    }
    Timing operator/(int runs) const { return {cpuMs / runs, wallMs / runs, peakMiB}; }
};

// The peak resident memory of the process (VmHWM), in MiB, and setting it back to what the
// process holds now, so that the next reading is the peak of what runs in between.
double peakMemoryMiB();
void resetPeakMemory();

// Measures from its construction (or restart()) on; restarting also resets the peak memory.
class Stopwatch {
public:
    Stopwatch() { restart(); }
    void restart();
    Timing elapsed() const;

private:
    QElapsedTimer m_wall;
    double m_cpuStartMs = 0;
};

// The benchmark's result table: each operation with the program's time and the time the
// engine alone takes for the same rows (one statement, built-in functions only).
class BenchTable {
public:
    // Adds a row; an engine time with cpuMs below 0 means there is no engine counterpart.
    // The row's operation is named after the prefix set last.
    void add(const QString& operation, const Timing& ours, const Timing& engine,
             const QString& note = {});
    // Prints the table to standard output: wall-clock times, the ratio of ours to the
    // engine's, and the peak memory while ours ran.
    void print() const;
    // Put before the operation of the rows added from now on ("server: ").
    void setPrefix(const QString& prefix) { m_prefix = prefix; }

private:
    struct Row {
        QString operation;
        Timing ours;
        Timing engine;
        QString note;
    };
    std::vector<Row> m_rows;
    QString m_prefix;
};

// No engine counterpart.
inline constexpr Timing kNoEngine{-1, -1};

// What a row's reference time is measured on: a connection of its own to the same database,
// with nothing of the program's between the statement and the engine that runs it.
// Statements are written in SQLite's SQL, with the engine's built-in functions only.
class Reference {
public:
    virtual ~Reference() = default;
    // Runs one statement to its end, reading every row, and returns the time it took.
    virtual Timing time(const QString& sql) = 0;
    // The first column of the first row of a query.
    virtual qint64 number(const QString& sql) = 0;
    // The condition "`expression` matches the LIKE pattern `pattern`" (with % and _), letter
    // case aside, as the engine's built-in comparison makes it.
    virtual QString like(const QString& expression, const QString& pattern) const = 0;
    // A new connection to the same database, as a program that starts makes one.
    virtual std::unique_ptr<Reference> connectAgain() const = 0;
};

// A connection to the file with nothing of the program's registered: the engine alone.
class EngineConnection : public Reference {
public:
    explicit EngineConnection(const QString& path, const QString& password = {});
    ~EngineConnection() override;
    EngineConnection(const EngineConnection&) = delete;
    EngineConnection& operator=(const EngineConnection&) = delete;

    Timing time(const QString& sql) override;
    qint64 number(const QString& sql) override;
    QString like(const QString& expression, const QString& pattern) const override;
    std::unique_ptr<Reference> connectAgain() const override;
    sqlite3* handle() const { return m_handle; }

private:
    QString m_path;
    QString m_password;
    sqlite3* m_handle = nullptr;
};

// A text as a string literal of the statements: between single quotes, each doubled.
QString sqlText(const QString& text);
