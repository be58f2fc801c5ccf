#include "ServerBench.h"

#include <sqlite3.h>

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QVariantList>
#include <stdexcept>

#include "BenchTable.h"
#include "DataBench.h"
#include "ServerReference.h"
#include "WindowBench.h"
#include "app/AppPaths.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "data/ServerCopy.h"
#include "data/ServerSchema.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

namespace {

struct PreparedTable {
    QString copySql;
    QByteArray rows;
};

// Every table's rows in the server's copy format, read from the file before any timing.
std::vector<PreparedTable> prepareRows() {
    EngineConnection file(databasePath());
    std::vector<PreparedTable> prepared;
    for (const SourceDef* table : schema::tables()) {
        QStringList local;
        QStringList server;
        for (const QString& column : schema::tableColumns(*table)) {
            local << quotedName(column);
            server << serverschema::quoted(column);
        }
        const QString name = QLatin1String(table->name);
        PreparedTable one{QStringLiteral("COPY %1 (%2) FROM STDIN")
                              .arg(serverschema::quoted(name), server.join(u',')),
                          {}};
        CStatement read(file.handle(), QStringLiteral("SELECT %1 FROM %2 ORDER BY \"id\"")
                                           .arg(local.join(u','), quotedName(name)));
        QVariantList values;
        while (read.step()) {
            values.clear();
            for (int c = 0; c < read.columnCount(); ++c)
                values << read.value(c);
            one.rows += copyLine(values);
        }
        prepared.push_back(std::move(one));
    }
    return prepared;
}

Timing serverAlone(CServerConnection& server, const std::vector<PreparedTable>& prepared) {
    server.exec(QStringLiteral("BEGIN"));
    server.exec(
        QStringLiteral("SET LOCAL %1 = 'on'").arg(QLatin1String(serverschema::kBulkCopySetting)));
    QStringList tables;
    for (const SourceDef* table : schema::tables())
        tables << serverschema::quoted(QLatin1String(table->name));
    server.exec(QStringLiteral("TRUNCATE ") + tables.join(u','));
    const Stopwatch watch;
    for (const PreparedTable& table : prepared) {
        server.beginCopy(table.copySql);
        server.putCopyData(table.rows);
        server.endCopy();
    }
    const Timing took = watch.elapsed();
    server.rollback();
    return took;
}

// A folder whose Tarvex.ini names the server, for the program's start-up there.
QString serverFolder(const QString& folder, const QString& uri) {
    const QString path = QDir(folder).absoluteFilePath(QStringLiteral("server"));
    QFile ini(QDir(path).absoluteFilePath(QStringLiteral("Tarvex.ini")));
    if (!QDir().mkpath(path) || !ini.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        ini.write("[database]\nserver=" + uri.toUtf8() + '\n') < 0)
        throw std::runtime_error("cannot write " + QFile::encodeName(ini.fileName()).toStdString());
    return path;
}

}  // namespace

void runServerBench(const QString& uri, const QString& folder, BenchTable& table) {
    const QString filePath = databasePath();
    const QString password = qEnvironmentVariable("PGPASSWORD");
    {
        CServerConnection server(uri, password);
        const Stopwatch watch;
        const servercopy::Result copied =
            servercopy::copyFileToServer(filePath, currentPassword(), server, {});
        const Timing ours = watch.elapsed();
        const Timing alone = serverAlone(server, prepareRows());
        table.add(QStringLiteral("copy the file to the server"), ours, alone,
                  QStringLiteral("%1 rows, %2 compared, then VACUUM (ANALYZE)")
                      .arg(copied.rows)
                      .arg(copied.sampledRows));
    }
    sharedDatabase().Close();

    table.setPrefix(QStringLiteral("server: "));
    runWindowBench(serverFolder(folder, uri), table,
                   std::make_unique<ServerReference>(uri, password), password);
    sharedDatabase().Close();
    setDatabasePath(uri);
    openSharedDatabase(password);
    {
        ServerReference engine(uri, password);
        runDataBench(engine, table);
    }
    sharedDatabase().Close();
    table.setPrefix({});

    QDir::setCurrent(folder);
    initAppPaths();
    setDatabasePath(filePath);
}
