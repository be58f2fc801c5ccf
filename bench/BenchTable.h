#pragma once

#include <QElapsedTimer>
#include <QString>
#include <vector>

struct sqlite3;

// The time an operation took: the processor time of the process (the measure the table
// compares, as it holds on a busy machine too) and the wall-clock time.
struct Timing {
    double cpuMs = 0;
    double wallMs = 0;
    Timing operator+(const Timing& other) const {
        return {cpuMs + other.cpuMs, wallMs + other.wallMs};
    }
    Timing operator/(int runs) const { return {cpuMs / runs, wallMs / runs}; }
};

// Measures from its construction (or restart()) on.
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
    void add(const QString& operation, const Timing& ours, const Timing& engine,
             const QString& note = {});
    // Prints the table to standard output.
    void print() const;

private:
    struct Row {
        QString operation;
        Timing ours;
        Timing engine;
        QString note;
    };
    std::vector<Row> m_rows;
};

// No engine counterpart.
inline constexpr Timing kNoEngine{-1, -1};

// A connection to the file with nothing of the program's registered: the engine alone.
class EngineConnection {
public:
    explicit EngineConnection(const QString& path, const QString& password = {});
    ~EngineConnection();
    EngineConnection(const EngineConnection&) = delete;
    EngineConnection& operator=(const EngineConnection&) = delete;

    // Runs one statement to its end and returns the time it took.
    Timing time(const QString& sql);
    sqlite3* handle() const { return m_handle; }

private:
    sqlite3* m_handle = nullptr;
};
