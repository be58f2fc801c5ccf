#pragma once

#include <QElapsedTimer>
#include <QString>
#include <vector>

struct sqlite3;

// The benchmark's result table: each operation with the program's time and the time the
// engine alone takes for the same rows (one statement, built-in functions only).
class BenchTable {
public:
    // Adds a row; `engineMs` below 0 means there is no engine counterpart.
    void add(const QString& operation, double oursMs, double engineMs, const QString& note = {});
    // Prints the table to standard output.
    void print() const;

private:
    struct Row {
        QString operation;
        double oursMs;
        double engineMs;
        QString note;
    };
    std::vector<Row> m_rows;
};

// Milliseconds since the timer started, with fractions.
double elapsedMs(const QElapsedTimer& timer);

// A connection to the file with nothing of the program's registered: the engine alone.
class EngineConnection {
public:
    explicit EngineConnection(const QString& path, const QString& password = {});
    ~EngineConnection();
    EngineConnection(const EngineConnection&) = delete;
    EngineConnection& operator=(const EngineConnection&) = delete;

    // Runs one statement to its end and returns the milliseconds it took.
    double time(const QString& sql);
    sqlite3* handle() const { return m_handle; }

private:
    sqlite3* m_handle = nullptr;
};
