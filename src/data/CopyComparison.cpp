#include "data/CopyComparison.h"

#include <QVariant>
#include <set>

#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

namespace copycomparison {

namespace {

QString shown(const QVariant& value) {
    return value.isValid() ? u'\'' + value.toString() + u'\'' : QStringLiteral("NULL");
}

// The ids to sample: first, last and evenly spaced ones between, in one pass over the
// table's key.
std::set<qint64> sampleIds(sqlite3* file, const QString& table, qint64 count) {
    std::set<qint64> ids;
    if (count == 0)
        return ids;
    QStringList offsets{QStringLiteral("0"), QString::number(count - 1)};
    for (int i = 1; i <= kSamplesBetween; ++i)
        offsets << QString::number(count * i / (kSamplesBetween + 1));
    for (const QString& offset : offsets) {
        CStatement read(file, QStringLiteral("SELECT \"id\" FROM %1 ORDER BY \"id\" LIMIT 1 "
                                             "OFFSET %2")
                                  .arg(quotedName(table), offset));
        if (read.step())
            ids.insert(read.int64(0));
    }
    return ids;
}

QString compareRow(sqlite3* file, CServerConnection& server, const SourceDef& table, qint64 id) {
    const QString name = QLatin1String(table.name);
    const QStringList columns = schema::tableColumns(table);
    QStringList fileColumns;
    QStringList serverColumns;
    for (const QString& column : columns) {
        fileColumns << quotedName(column);
        serverColumns << serverschema::quoted(column);
    }
    CStatement fileRow(file, QStringLiteral("SELECT %1 FROM %2 WHERE \"id\" = ?")
                                 .arg(fileColumns.join(u','), quotedName(name)));
    fileRow.bind(1, id);
    const CServerResult serverRow =
        server.exec(QStringLiteral("SELECT %1 FROM %2 WHERE \"id\" = $1")
                        .arg(serverColumns.join(u','), serverschema::quoted(name)),
                    {id});
    if (!fileRow.step() || serverRow.rowCount() != 1)
        return QStringLiteral("The row %1 of the table %2 is missing on one side.")
            .arg(id)
            .arg(name);
    for (int c = 0; c < columns.size(); ++c) {
        const QVariant onFile =
            fileRow.isNull(c) ? QVariant() : QVariant(fileRow.value(c).toString());
        const QVariant onServer =
            serverRow.isNull(0, c) ? QVariant() : QVariant(serverRow.text(0, c));
        if (onFile.isValid() != onServer.isValid() ||
            (onFile.isValid() && onFile.toString() != onServer.toString()))
            return QStringLiteral(
                       "The column %1 of row %2 of the table %3 differs: %4 in the "
                       "contacts file, %5 on the server.")
                .arg(columns[c])
                .arg(id)
                .arg(name, shown(onFile), shown(onServer));
    }
    return {};
}

}  // namespace

Result compare(sqlite3* file, CServerConnection& server) {
    Result result;
    for (const SourceDef* table : schema::tables()) {
        const QString name = QLatin1String(table->name);
        CStatement count(file, QStringLiteral("SELECT count(*) FROM %1").arg(quotedName(name)));
        count.step();
        const qint64 onFile = count.int64(0);
        const qint64 onServer =
            server.exec(QStringLiteral("SELECT count(*) FROM %1").arg(serverschema::quoted(name)))
                .text(0, 0)
                .toLongLong();
        if (onFile != onServer) {
            result.difference = QStringLiteral(
                                    "The table %1 has %2 rows in the contacts file "
                                    "and %3 on the server.")
                                    .arg(name)
                                    .arg(onFile)
                                    .arg(onServer);
            return result;
        }
        result.rows += onFile;
        for (const qint64 id : sampleIds(file, name, onFile)) {
            result.difference = compareRow(file, server, *table, id);
            if (!result.difference.isEmpty())
                return result;
            ++result.sampledRows;
        }
    }
    return result;
}

}  // namespace copycomparison
