#pragma once

#include <QVariantList>
#include <optional>

#include "data/ServerConnection.h"
#include "data/StatementEngine.h"

class CDatabase;

// One statement of the data layer run on the team's server: the SQLite text translated
// once (see ServerSql.h), the parameters bound, and the whole result read at the first step.
// Column values come back as SQLite would give them: integers, doubles, texts (moments as
// "YYYY-MM-DD HH:MM:SS") and byte arrays.
class CServerStatement final : public StatementEngine {
public:
    CServerStatement(CDatabase& db, const QString& sqliteSql);

    void bind(int index, const QVariant& value) override;
    bool step() override;
    void reset() override;

    int columnCount() const override;
    QString columnName(int column) const override;
    QString declaredType(int column) const override;
    bool isNull(int column) const override;
    qint64 int64(int column) const override;
    QString text(int column) const override;
    // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL.
    int type(int column) const override;
    double real(int column) const override;
    QByteArrayView bytes(int column) const override;
    QVariant value(int column) const override;

private:
    // The columns, from the result or (before the first step) from the server's description.
    const CServerResult& shape() const;

    CDatabase& m_db;
    QString m_sql;
    QVariantList m_parameters;
    std::optional<CServerResult> m_result;
    mutable std::optional<CServerResult> m_description;
    int m_row = -1;
};
