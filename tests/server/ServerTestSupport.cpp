#include "ServerTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/KnownValueSources.h"
#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "data/ServerKnownValues.h"
#include "data/ServerSchema.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

namespace {

std::unique_ptr<PgTestServer>& serverSlot() {
    static std::unique_ptr<PgTestServer> server;
    return server;
}

class ServerEnvironment : public testing::Environment {
public:
    void TearDown() override { serverSlot().reset(); }
};

[[maybe_unused]] const testing::Environment* const registered =
    testing::AddGlobalTestEnvironment(new ServerEnvironment);

const QString kNull = QStringLiteral("<NULL>");

QString columnList(const SourceDef& table, QString (*quote)(const QString&)) {
    QStringList columns;
    for (const QString& column : schema::tableColumns(table))
        columns << quote(column);
    return columns.join(u',');
}

const SourceDef& tableNamed(const char* name) {
    for (const SourceDef* table : schema::tables())
        if (qstrcmp(table->name, name) == 0)
            return *table;
    throw std::invalid_argument(name);
}

}  // namespace

PgTestServer& testServer() {
    if (!serverSlot())
        serverSlot() = std::make_unique<PgTestServer>();
    return *serverSlot();
}

void writeAwkwardFile(const QString& path, const QString& password) {
    CDatabase::Create(path, password);
    CDatabase db;
    db.Open(path, false, false, connectText(password));
    auto insert = [&db](const QString& sql, const QVariantList& values) {
        CStatement statement(db.handle(), sql);
        for (int i = 0; i < values.size(); ++i)
            statement.bind(i + 1, values[i]);
        statement.execute();
    };
    const QVariant null;
    const QStringList awkward = {
        QStringLiteral("O'Brien"),   QStringLiteral("Müller \"Max\""),
        QStringLiteral(""),          QStringLiteral("line one\nline two\r\nthree"),
        QStringLiteral("tab\there"), QStringLiteral("back\\slash \\N"),
        QStringLiteral("\\N"),       QStringLiteral("Ærøskøbing ŁÓDŹ 東京 😀"),
    };
    for (int i = 0; i < awkward.size(); ++i) {
        const qint64 id = 3 * i + 2;
        const QVariant text = awkward[i];
        const QVariant other = i % 3 == 0 ? null : QVariant(awkward[(i + 1) % awkward.size()]);
        insert(QStringLiteral("INSERT INTO \"Person\" (id, lastname, firstname, \"group\", "
                              "description) VALUES (?, ?, ?, ?, ?)"),
               {id, text, other, QStringLiteral("Kunden"), other});
        insert(QStringLiteral("INSERT INTO \"Firm\" (id, name, person, web) VALUES (?, ?, ?, ?)"),
               {id, text, other, null});
        insert(QStringLiteral("INSERT INTO \"Group\" (id, \"Name\", \"Description\") VALUES "
                              "(?, ?, ?)"),
               {id, text, other});
        const QVariant date =
            i % 4 == 1
                ? null
                : QVariant(QStringLiteral("20%1-0%2-2%3 00:00:00").arg(10 + i).arg(i + 1).arg(i));
        const QVariant time = QStringLiteral("1899-12-30 %1:0%2:5%3").arg(10 + i).arg(i).arg(i);
        insert(QStringLiteral("INSERT INTO \"Contact\" (id, date, time, person, firm, "
                              "description) VALUES (?, ?, ?, ?, ?, ?)"),
               {id, date, time, text, other, other});
        insert(QStringLiteral("INSERT INTO \"Alarm\" (id, name, date, time, status, person, "
                              "description) VALUES (?, ?, ?, ?, ?, ?, ?)"),
               {id, text, date, time, i % 3, other, text});
        insert(QStringLiteral("INSERT INTO \"Sharks\" (id, id_person, buyer_dob, "
                              "family_papa_occupation) VALUES (?, ?, ?, ?)"),
               {id, id, text, other});
        insert(QStringLiteral("INSERT INTO \"Sharks2\" (id, id_firm, \"basic_number of workers\", "
                              "\"usandthem_ways of communication\") VALUES (?, ?, ?, ?)"),
               {id, id, other, text});
    }
}

Rows fileQueryRows(sqlite3* file, const QString& sql) {
    CStatement read(file, sql);
    Rows rows;
    while (read.step()) {
        QStringList row;
        for (int c = 0; c < read.columnCount(); ++c)
            row << (read.isNull(c) ? kNull : read.value(c).toString());
        rows.push_back(row);
    }
    return rows;
}

Rows serverQueryRows(CServerConnection& server, const QString& sql) {
    const CServerResult result = server.exec(sql);
    Rows rows;
    for (int r = 0; r < result.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < result.columnCount(); ++c)
            row << (result.isNull(r, c) ? kNull : result.text(r, c));
        rows.push_back(row);
    }
    return rows;
}

Rows fileRows(sqlite3* file, const char* table) {
    return fileQueryRows(file, QStringLiteral("SELECT %1 FROM %2 ORDER BY id")
                                   .arg(columnList(tableNamed(table), quotedName),
                                        quotedName(QLatin1String(table))));
}

Rows serverRows(CServerConnection& server, const char* table) {
    return serverQueryRows(server, QStringLiteral("SELECT %1 FROM %2 ORDER BY id")
                                       .arg(columnList(tableNamed(table), serverschema::quoted),
                                            serverschema::quoted(QLatin1String(table))));
}

void expectKnownValuesKept(CServerConnection& server, const char* step) {
    for (int source = 0; source < KnownValueSources::kNamedSources; ++source) {
        const KnownValueColumns columns = KnownValueSources::columnsOf(source);
        const QString second =
            columns.second
                ? QStringLiteral("\"%1\" COLLATE \"C\"").arg(QLatin1String(columns.second))
                : QStringLiteral("NULL");
        const Rows rows = serverQueryRows(
            server, QStringLiteral("SELECT \"%1\" COLLATE \"C\", %2, min(id) FROM \"%3\" GROUP BY "
                                   "1, 2 ORDER BY 3")
                        .arg(QLatin1String(columns.first), second, QLatin1String(columns.table)));
        const Rows kept = serverQueryRows(
            server, QStringLiteral("SELECT value1, value2, first_row FROM \"KnownValue\" WHERE "
                                   "source = '%1' ORDER BY first_row")
                        .arg(serverknownvalues::sourceName(source)));
        EXPECT_EQ(kept, rows) << step << ": "
                              << serverknownvalues::sourceName(source).toStdString();
    }
}
