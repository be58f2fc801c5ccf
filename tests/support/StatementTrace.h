#pragma once

#include <sqlite3.h>

#include <QString>
#include <QStringList>

// Records, while it lives, the statements a connection runs and how many rows it hands
// out, so that a test sees what a step asked of the engine.
class StatementTrace {
public:
    explicit StatementTrace(sqlite3* handle) : m_handle(handle) {
        sqlite3_trace_v2(m_handle, SQLITE_TRACE_STMT | SQLITE_TRACE_ROW, &StatementTrace::event,
                         this);
    }
    ~StatementTrace() { sqlite3_trace_v2(m_handle, 0, nullptr, nullptr); }
    StatementTrace(const StatementTrace&) = delete;
    StatementTrace& operator=(const StatementTrace&) = delete;

    const QStringList& statements() const { return m_statements; }
    int rows() const { return m_rows; }
    // The statements that start with `text`.
    int count(const QString& text) const {
        int n = 0;
        for (const QString& statement : m_statements)
            n += statement.startsWith(text) ? 1 : 0;
        return n;
    }

private:
    static int event(unsigned type, void* context, void* statement, void*) {
        auto* trace = static_cast<StatementTrace*>(context);
        if (type == SQLITE_TRACE_ROW)
            ++trace->m_rows;
        else if (type == SQLITE_TRACE_STMT)
            trace->m_statements << QString::fromUtf8(
                sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
        return 0;
    }

    sqlite3* m_handle;
    QStringList m_statements;
    int m_rows = 0;
};
