#pragma once

#include "data/StatementEngine.h"

struct sqlite3;
struct sqlite3_stmt;

// A statement of SQLite's SQL prepared on a connection to the contacts file, finalised with
// the object.
class CSqliteStatement final : public StatementEngine {
public:
    CSqliteStatement(sqlite3* handle, const QString& sqliteSql);
    ~CSqliteStatement() override;
    CSqliteStatement(const CSqliteStatement&) = delete;
    CSqliteStatement& operator=(const CSqliteStatement&) = delete;

    void bind(int index, const QVariant& value) override;
    bool step() override;
    void reset() override;

    int columnCount() const override;
    QString columnName(int column) const override;
    QString declaredType(int column) const override;
    bool isNull(int column) const override;
    qint64 int64(int column) const override;
    QString text(int column) const override;
    int type(int column) const override;
    double real(int column) const override;
    QByteArrayView bytes(int column) const override;
    QVariant value(int column) const override;

private:
    sqlite3* m_handle;
    sqlite3_stmt* m_statement = nullptr;
};
