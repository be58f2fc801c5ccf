#pragma once

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
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
    void add(const QString& operation, const Timing& ours, const Timing& engine,
             const QString& note = {});
    // Prints the table to standard output: wall-clock times, the ratio of ours to the
    // engine's, and the peak memory while ours ran.
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
