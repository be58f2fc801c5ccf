#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <memory>

#include "data/DbException.h"

struct sqlite3;
class CDatabase;
class StatementEngine;

// One prepared SQLite statement (SQL already in SQLite's dialect), finalised with the
// object. On a connection to the team's server the same text runs there, translated (see
// ServerSql.h). Every failure throws CDbException with the engine's code and words.
class CStatement {
public:
    CStatement(CDatabase& db, const QString& sqliteSql);
    CStatement(sqlite3* handle, const QString& sqliteSql);
    ~CStatement();
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    // Binds parameter `index` (1-based): a null variant binds NULL; integers, doubles,
    // byte arrays and everything else (as text) by their type.
    void bind(int index, const QVariant& value);
    // Runs to the next row: true on a row, false when done.
    bool step();
    // Makes the statement ready to run again (bindings stay).
    void reset();
    // Runs a statement that returns no rows to the end.
    void execute();

    int columnCount() const;
    QString columnName(int column) const;
    QString declaredType(int column) const;
    bool isNull(int column) const;
    qint64 int64(int column) const;
    QString text(int column) const;
    // The engine's type of the column's value (SQLITE_INTEGER, ..._FLOAT, ..._TEXT, ..._BLOB
    // or ..._NULL), and its value as a double.
    int type(int column) const;
    double real(int column) const;
    // A text's UTF-8 bytes or a blob's bytes, valid until the next step or reset.
    QByteArrayView bytes(int column) const;
    // The column's value as stored: null (invalid variant), qint64, double, QString or
    // QByteArray.
    QVariant value(int column) const;

private:
    // Set when the statement runs through a CDatabase, which then announces what it commits.
    CDatabase* m_db = nullptr;
    std::unique_ptr<StatementEngine> m_engine;
};
