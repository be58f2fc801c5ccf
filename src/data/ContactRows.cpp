#include "data/ContactRows.h"

#include "data/Statement.h"

namespace {

QString quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QMap<QString, QString> rowOf(const CStatement& statement, const QStringList& columns) {
    QMap<QString, QString> values;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QString value = statement.text(int(i));
        if (!value.isEmpty())
            values.insert(columns[i], value);
    }
    return values;
}

}  // namespace

QList<QMap<QString, QString>> readContactRows(CDatabase& db, ContactTable table,
                                              const QStringList& columns,
                                              const QList<qint64>& ids) {
    const bool firm = table == ContactTable::Firm;
    QStringList names;
    for (const QString& column : columns)
        names << quoted(column);
    const QString select = QStringLiteral("SELECT %1 FROM %2")
                               .arg(names.join(u", "), firm ? QStringLiteral("\"Firm\"")
                                                            : QStringLiteral("\"Person\""));
    QList<QMap<QString, QString>> rows;
    if (ids.isEmpty()) {
        CStatement statement(db, select + (firm ? QStringLiteral(" ORDER BY \"name\", \"id\"")
                                                : QStringLiteral(" ORDER BY \"lastname\", "
                                                                 "\"firstname\", \"id\"")));
        while (statement.step())
            rows << rowOf(statement, columns);
        return rows;
    }
    // One look-up by key per chosen record: a few chosen rows of a large table cost only
    // themselves.
    CStatement statement(db, select + QStringLiteral(" WHERE \"id\" = ?"));
    rows.reserve(ids.size());
    for (qint64 id : ids) {
        statement.bind(1, id);
        if (statement.step())
            rows << rowOf(statement, columns);
        statement.reset();
    }
    return rows;
}
