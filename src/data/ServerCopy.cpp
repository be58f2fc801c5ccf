#include "data/ServerCopy.h"

#include <sqlite3.h>

#include <QFile>
#include <QVariant>

#include "data/CopyComparison.h"
#include "data/Database.h"
#include "data/EngineError.h"
#include "data/EngineHandle.h"
#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "data/ServerKnownValues.h"
#include "data/ServerSchema.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

namespace servercopy {

namespace {

// Rows between two progress reports, and bytes sent to the server at once.
constexpr qint64 kRowsPerStep = 2000;
constexpr qsizetype kCopyChunk = 256 * 1024;

class ProgressCounter {
public:
    ProgressCounter(const Progress& progress, qint64 total) : m_progress(progress), m_total(total) {
        report();
    }
    void row() {
        if (++m_done % kRowsPerStep == 0)
            report();
    }
    void report() {
        if (m_progress && !m_progress(m_done, m_total))
            throw CCopyCancelled();
    }

private:
    const Progress& m_progress;
    qint64 m_total;
    qint64 m_done = 0;
};

void runLocal(sqlite3* handle, const QString& sql) {
    CStatement(handle, sql).execute();
}

qint64 localRowCount(sqlite3* file) {
    qint64 rows = 0;
    for (const SourceDef* table : schema::tables()) {
        CStatement count(
            file,
            QStringLiteral("SELECT count(*) FROM %1").arg(quotedName(QLatin1String(table->name))));
        count.step();
        rows += count.int64(0);
    }
    return rows;
}

QStringList quoted(const QStringList& columns, QString (*quote)(const QString&)) {
    QStringList names;
    for (const QString& column : columns)
        names << quote(column);
    return names;
}

// Sends the rows of the file's table, in the given order, to the server's table of the same name
// and columns with the server's bulk copy.
void sendRows(sqlite3* file, CServerConnection& server, const QString& name,
              const QStringList& columns, const QString& order, ProgressCounter* counter) {
    CStatement read(file,
                    QStringLiteral("SELECT %1 FROM %2%3")
                        .arg(quoted(columns, quotedName).join(u','), quotedName(name), order));
    server.beginCopy(
        QStringLiteral("COPY %1 (%2) FROM STDIN")
            .arg(serverschema::quoted(name), quoted(columns, serverschema::quoted).join(u',')));
    QByteArray chunk;
    QVariantList values;
    while (read.step()) {
        values.clear();
        for (int c = 0; c < columns.size(); ++c)
            values << read.value(c);
        chunk += copyLine(values);
        if (chunk.size() >= kCopyChunk) {
            server.putCopyData(chunk);
            chunk.clear();
        }
        if (counter)
            counter->row();
    }
    if (!chunk.isEmpty())
        server.putCopyData(chunk);
    server.endCopy();
}

void sendTable(sqlite3* file, CServerConnection& server, const SourceDef& table,
               ProgressCounter& counter) {
    const QString name = QLatin1String(table.name);
    sendRows(file, server, name, schema::tableColumns(table), QStringLiteral(" ORDER BY \"id\""),
             &counter);
    // New rows made on the server later must not take an id that the copy used.
    server.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence($1, 'id'), "
                               "coalesce(max(\"id\"), 0) + 1, false) FROM %1")
                    .arg(serverschema::quoted(name)),
                {serverschema::quoted(name)});
    server.exec(QStringLiteral("SELECT pg_notify($1, $2)"),
                {QLatin1String(serverschema::kChangeChannel), name + QStringLiteral(" * COPY")});
}

bool fileHasTable(sqlite3* file, const char* name) {
    CStatement find(file, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                                         "name = ?"));
    find.bind(1, QLatin1String(name));
    return find.step();
}

QStringList columnsOf(const schema::SyncStateTable& table) {
    QStringList columns;
    for (const char* column : table.columns)
        columns << QLatin1String(column);
    return columns;
}

// The file's sync state goes with its records, which keep their ids: a sync after the move
// goes on where the last one ended. What the server held described no records.
void sendSyncState(sqlite3* file, CServerConnection& server) {
    for (const schema::SyncStateTable& table : schema::syncStateTables()) {
        const QString name = QLatin1String(table.name);
        server.exec(QStringLiteral("DELETE FROM ") + serverschema::quoted(name));
        if (fileHasTable(file, table.name))
            sendRows(file, server, name, columnsOf(table), {}, nullptr);
    }
}

// Writes the rows of the server's table, in the given order, into the file's table of the same name
// and columns.
void receiveRows(CServerConnection& server, sqlite3* file, const QString& name,
                 const QStringList& columns, const std::vector<FieldType>& types,
                 const QString& order, ProgressCounter* counter) {
    QStringList placeholders;
    for (qsizetype c = 0; c < columns.size(); ++c)
        placeholders << QStringLiteral("?");
    CStatement write(file, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(quotedName(name), quoted(columns, quotedName).join(u','),
                                    placeholders.join(u',')));
    server.forEachRow(QStringLiteral("SELECT %1 FROM %2%3")
                          .arg(quoted(columns, serverschema::quoted).join(u','),
                               serverschema::quoted(name), order),
                      {}, [&](const CServerResult& row) {
                          for (int c = 0; c < int(types.size()); ++c) {
                              QVariant value;
                              if (!row.isNull(0, c))
                                  value = types[c] == FieldType::Long
                                              ? QVariant(row.text(0, c).toLongLong())
                                              : QVariant(row.text(0, c));
                              write.bind(c + 1, value);
                          }
                          write.execute();
                          write.reset();
                          if (counter)
                              counter->row();
                      });
}

void receiveTable(CServerConnection& server, sqlite3* file, const SourceDef& table,
                  ProgressCounter& counter) {
    const QStringList columns = schema::tableColumns(table);
    std::vector<FieldType> types;
    for (const QString& column : columns)
        types.push_back(schema::columnType(table, column));
    receiveRows(server, file, QLatin1String(table.name), columns, types,
                QStringLiteral(" ORDER BY \"id\""), &counter);
}

// The server's sync state comes along, when its schema keeps one.
void receiveSyncState(CServerConnection& server, sqlite3* file) {
    if (serverschema::version(server) < serverschema::kSyncStateVersion)
        return;
    for (const schema::SyncStateTable& table : schema::syncStateTables()) {
        const QStringList columns = columnsOf(table);
        // The engine takes the numbers of the integer columns from their texts.
        const std::vector<FieldType> types(std::size_t(columns.size()), FieldType::Text);
        receiveRows(server, file, QLatin1String(table.name), columns, types, {}, nullptr);
    }
}

void check(sqlite3* file, CServerConnection& server, Result& result) {
    const copycomparison::Result compared = copycomparison::compare(file, server);
    if (!compared.difference.isEmpty())
        throw CDbException(0, QStringLiteral("The copy was not kept: it differs from its "
                                             "source.\n\n") +
                                  compared.difference);
    result.rows = compared.rows;
    result.sampledRows = compared.sampledRows;
}

EngineHandle openFile(const QString& path, const QString& password, int flags) {
    EngineHandle handle = openEngineFile(path, flags);
    configureEngineHandle(handle.get(), password);
    return handle;
}

void removeFile(const QString& path) {
    QFile::remove(path);
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

}  // namespace

CCopyCancelled::CCopyCancelled()
    : CDbException(0, QStringLiteral("The copy was cancelled; nothing was changed.")) {}

Result copyFileToServer(const QString& path, const QString& password, CServerConnection& server,
                        const Progress& progress) {
    const EngineHandle file = openFile(path, password, SQLITE_OPEN_READONLY);
    Result result;
    // One snapshot of the file, however long the copy takes.
    runLocal(file.get(), QStringLiteral("BEGIN"));
    server.exec(QStringLiteral("BEGIN"));
    try {
        server.exec(QStringLiteral("SET LOCAL %1 = 'on'")
                        .arg(QLatin1String(serverschema::kBulkCopySetting)));
        serverschema::ensure(server);
        if (serverschema::rowCount(server) > 0)
            throw CServerError(
                QStringLiteral("The database \"%1\" on the server %2 already holds Tarvex "
                               "records. A contacts file is copied only into an empty "
                               "database; nothing was changed.")
                    .arg(server.database(), server.server()));
        ProgressCounter counter(progress, localRowCount(file.get()));
        for (const SourceDef* table : schema::tables()) {
            sendTable(file.get(), server, *table, counter);
            counter.report();
        }
        sendSyncState(file.get(), server);
        // The triggers left the copied rows to this.
        for (const QString& statement : serverknownvalues::rebuildStatements())
            server.exec(statement);
        check(file.get(), server, result);
        server.exec(QStringLiteral("COMMIT"));
    } catch (const CDbException&) {
        server.rollback();
        throw;
    }
    runLocal(file.get(), QStringLiteral("COMMIT"));
    // The planner's statistics, and the visibility that lets the lists read their ids from
    // the indexes alone, at once rather than when autovacuum comes round. The copy stands
    // whether or not this succeeds.
    QStringList tables;
    for (const SourceDef* table : schema::tables())
        tables << serverschema::quoted(QLatin1String(table->name));
    try {
        server.exec(QStringLiteral("VACUUM (ANALYZE) ") + tables.join(QStringLiteral(", ")));
    } catch (const CServerError&) {
    }
    return result;
}

Result copyServerToFile(CServerConnection& server, const QString& path, const QString& password,
                        const Progress& progress) {
    serverschema::require(server);
    CDatabase::Create(path, password);
    Result result;
    try {
        const EngineHandle file = openFile(path, password, SQLITE_OPEN_READWRITE);
        server.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        runLocal(file.get(), QStringLiteral("BEGIN IMMEDIATE"));
        ProgressCounter counter(progress, serverschema::rowCount(server));
        for (const SourceDef* table : schema::tables()) {
            receiveTable(server, file.get(), *table, counter);
            counter.report();
        }
        receiveSyncState(server, file.get());
        check(file.get(), server, result);
        runLocal(file.get(), QStringLiteral("COMMIT"));
        server.exec(QStringLiteral("COMMIT"));
    } catch (const CDbException&) {
        server.rollback();
        // The engine's connection is closed by now (EngineHandle), so only our file goes.
        removeFile(path);
        throw;
    }
    return result;
}

}  // namespace servercopy
