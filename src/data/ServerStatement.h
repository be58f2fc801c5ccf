#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <optional>

#include "data/ServerConnection.h"

class CDatabase;

// One statement of the data layer run on the team's server: the SQLite text translated
// once (see ServerSql.h), the parameters bound, and the whole result read at the first step.
// Column values come back as SQLite would give them: integers, doubles, texts (moments as
// "YYYY-MM-DD HH:MM:SS") and byte arrays.
class CServerStatement {
public:
    CServerStatement(CDatabase& db, const QString& sqliteSql);

    void bind(int index, const QVariant& value);
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QString declaredType(int column) const;
    bool isNull(int column) const;
    qint64 int64(int column) const;
    QString text(int column) const;
    // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL.
    int type(int column) const;
    double real(int column) const;
    QByteArrayView bytes(int column) const;
    QVariant value(int column) const;

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
