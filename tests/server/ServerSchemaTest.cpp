#include <gtest/gtest.h>

#include <QRegularExpression>
#include <stdexcept>

#include "ServerTestSupport.h"
#include "data/Database.h"
#include "data/FirmFirmQRcs.h"
#include "data/PersonRcs.h"
#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "data/ServerNameOrder.h"
#include "data/ServerSchema.h"
#include "data/ServerSql.h"
#include "data/SortedKeys.h"

namespace {

QString password() {
    return QString::fromUtf8(PgTestServer::kPassword);
}

QString columnsOf(CServerConnection& server, const QString& relation) {
    const CServerResult result = server.exec(
        QStringLiteral("SELECT string_agg(column_name, ',' ORDER BY ordinal_position) FROM "
                       "information_schema.columns WHERE table_name = $1"),
        {relation});
    return result.text(0, 0);
}

}  // namespace

TEST(ServerSchema, CreatedOnceWithTheFileTablesAndWhatSeveralUsersNeed) {
    CServerConnection server(testServer().createDatabase(), password());
    EXPECT_EQ(serverschema::version(server), 0);
    EXPECT_THROW(serverschema::require(server), CServerError);

    serverschema::ensure(server);
    serverschema::ensure(server);
    EXPECT_EQ(serverschema::version(server), serverschema::kVersion);
    EXPECT_NO_THROW(serverschema::require(server));
    EXPECT_EQ(server.exec(QStringLiteral("SELECT count(*) FROM tarvex_schema")).text(0, 0),
              QLatin1String("1"));

    // The same tables and stored queries, with the same columns in the same order.
    for (const SourceDef* table : schema::tables()) {
        QStringList expected = schema::tableColumns(*table);
        expected << QStringLiteral("row_version");
        if (table == &schema::Alarm)
            expected << QStringLiteral("created_by");
        EXPECT_EQ(columnsOf(server, QLatin1String(table->name)), expected.join(u','))
            << table->name;
    }
    for (const SourceDef* query : schema::queries())
        EXPECT_EQ(columnsOf(server, QLatin1String(query->name)),
                  QLatin1String(query->fields[0].name));

    // Moments keep their seconds; an update raises the row version; an alarm knows its
    // creator; each committed write is announced, a rolled-back one is not.
    CServerConnection listener(testServer().uri(server.database()), password());
    listener.exec(QStringLiteral("LISTEN tarvex_changes"));
    const QString id =
        server
            .exec(QStringLiteral("INSERT INTO \"Alarm\" (name, date) VALUES ($1, $2) RETURNING id"),
                  {QStringLiteral("Müller"), QStringLiteral("2030-12-31 23:59:58")})
            .text(0, 0);
    server.exec(QStringLiteral("UPDATE \"Alarm\" SET status = 1 WHERE id = $1"), {id});
    server.exec(QStringLiteral("BEGIN"));
    server.exec(QStringLiteral("DELETE FROM \"Alarm\""));
    server.rollback();
    const CServerResult alarm = server.exec(
        QStringLiteral("SELECT date, row_version, created_by FROM \"Alarm\" WHERE id = $1"), {id});
    EXPECT_EQ(alarm.text(0, 0), QLatin1String("2030-12-31 23:59:58"));
    EXPECT_EQ(alarm.text(0, 1), QLatin1String("2"));
    EXPECT_EQ(alarm.text(0, 2), QLatin1String(PgTestServer::kUser));
    // Delivery to the listener's session follows the commit; each round trip takes what came.
    QStringList heard;
    for (int round = 0; round < 1000 && heard.size() < 2; ++round) {
        listener.exec(QStringLiteral("SELECT 1"));
        heard << listener.notifications();
    }
    EXPECT_EQ(heard, (QStringList{QStringLiteral("tarvex_changes Alarm %1 INSERT").arg(id),
                                  QStringLiteral("tarvex_changes Alarm %1 UPDATE").arg(id)}));

    // Names match without regard to letter case beyond ASCII through the folded index key.
    server.exec(QStringLiteral("INSERT INTO \"Person\" (lastname) VALUES ('müller')"));
    EXPECT_EQ(server
                  .exec(QStringLiteral("SELECT count(*) FROM \"Person\" WHERE lower(lastname "
                                       "COLLATE \"und-x-icu\") = lower($1 COLLATE \"und-x-icu\")"),
                        {QStringLiteral("MÜLLER")})
                  .text(0, 0),
              QLatin1String("1"));
}

// The pattern arrives as a parameter, and the conversions of it are made once, when the
// statement is planned, not for every row: a plain pattern is a single ILIKE, a letter
// never makes a moment into text, and only a pattern that needs it meets a regular
// expression.
TEST(ServerSchema, LikeIsPlannedOncePerPattern) {
    CServerConnection server(testServer().createDatabase(), password());
    serverschema::ensure(server);
    const auto plan = [&server](const char* condition, const char* pattern) {
        const CServerResult rows =
            server.exec(QStringLiteral("EXPLAIN SELECT id FROM \"Contact\" WHERE %1")
                            .arg(QLatin1String(condition)),
                        {QString::fromUtf8(pattern)});
        QStringList lines;
        for (int r = 0; r < rows.rowCount(); ++r)
            lines << rows.text(r, 0);
        return lines.join(u'\n');
    };
    const QString plain = plan("person #~ $1", "*smi*");
    EXPECT_TRUE(plain.contains(QLatin1String("~~* '%smi%'"))) << plain.toStdString();
    EXPECT_FALSE(plain.contains(QLatin1String(" ~* "))) << plain.toStdString();

    const QString accented = plan("person #~ $1", "*müll*");
    EXPECT_TRUE(accented.contains(QLatin1String("~~* '%m_ll%'"))) << accented.toStdString();
    EXPECT_TRUE(accented.contains(QLatin1String(" ~* "))) << accented.toStdString();

    const QString letters = plan("date #~ $1", "*müll*");
    EXPECT_TRUE(letters.contains(QLatin1String("One-Time Filter: false"))) << letters.toStdString();

    const QString digits = plan("date #~ $1", "*12*");
    EXPECT_EQ(digits.count(QLatin1String("~~*")), 1) << digits.toStdString();
    EXPECT_FALSE(digits.contains(QLatin1String("translate"))) << digits.toStdString();

    // A search over every column may be shared among the server's parallel workers; one
    // function that is not parallel safe would keep the whole statement to one process.
    server.exec(QStringLiteral("SET parallel_setup_cost = 0"));
    server.exec(QStringLiteral("SET parallel_tuple_cost = 0"));
    server.exec(QStringLiteral("SET min_parallel_table_scan_size = 0"));
    for (const char* pattern : {"*smi*", "*müll*", "*12*", "[a-c]#*"}) {
        const QString search = plan("date #~ $1 OR person #~ $1 OR id #!~ $1", pattern);
        EXPECT_TRUE(search.contains(QLatin1String("Parallel Seq Scan"))) << search.toStdString();
    }
}

// The orders of names that forms and lists open in come from indexes of the names folded as
// the program folds them, read without the tables' rows. A server whose folding function
// another build of the program made (with other Unicode tables) is not trusted with the
// order: its names are read and sorted here.
TEST(ServerSchema, NamesComeInTheFilesOrderFromIndexesOfFoldedNames) {
    const QString uri = testServer().createDatabase();
    {
        CServerConnection setup(uri, password());
        serverschema::ensure(setup);
    }
    CDatabase db;
    db.OpenServer(uri, password());
    CServerConnection& server = db.server();
    server.exec(QStringLiteral("SET enable_sort = off"));
    server.exec(QStringLiteral("SET enable_seqscan = off"));
    for (const schema::IndexDef& index : servernameorder::indexes()) {
        std::vector<SortedKeyColumn> columns;
        for (const char* column : {index.first, index.second})
            if (column)
                columns.push_back({u'[' + QLatin1String(column) + u']', true, false});
        const QString select =
            toServerSql(QStringLiteral("SELECT rowid FROM [%1] ORDER BY %2")
                            .arg(QLatin1String(index.table), servernameorder::orderBy(columns)));
        const CServerResult plan = server.exec(QStringLiteral("EXPLAIN ") + select);
        EXPECT_EQ(plan.text(0, 0).section(u'(', 0, 0).trimmed(),
                  QStringLiteral("Index Only Scan using \"%1_folded\" on \"%2\"")
                      .arg(schema::indexName(index), QLatin1String(index.table)));
    }
    server.exec(QStringLiteral("RESET ALL"));

    // The Kelvin sign and the long s fold to ASCII letters, which the server's language
    // order does not know.
    server.exec(
        QStringLiteral("INSERT INTO \"Person\" (lastname, firstname) VALUES "
                       "('\u212Aelvin', 'a'), ('zorn', 'b'), ('ſaal', 'c'), ('Kai', 'd')"));
    const std::vector<SortedKeyColumn> names{{QStringLiteral("[lastname]"), true, false},
                                             {QStringLiteral("[firstname]"), true, false}};
    const std::vector<qint64> fileOrder{4, 1, 3, 2};
    EXPECT_TRUE(servernameorder::foldsAsThisProgram(db));
    EXPECT_EQ(readSortedKeys(db, QStringLiteral("[Person]"), QString(), names), fileOrder);

    // Another program's function, which orders the names otherwise, in the same indexes.
    const QString ours =
        server.exec(QStringLiteral("SELECT proname FROM pg_proc WHERE proname LIKE 'tarvex_fold%'"))
            .text(0, 0);
    server.exec(
        QStringLiteral("ALTER FUNCTION %1 RENAME TO tarvex_fold_0123456789abcdef").arg(ours));
    server.exec(
        QStringLiteral("CREATE OR REPLACE FUNCTION tarvex_fold_0123456789abcdef(v text) "
                       "RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$SELECT reverse(v)$$"));
    server.exec(QStringLiteral("REINDEX TABLE \"Person\""));
    CDatabase other;
    other.OpenServer(uri, password());
    EXPECT_FALSE(servernameorder::foldsAsThisProgram(other));
    EXPECT_EQ(readSortedKeys(other, QStringLiteral("[Person]"), QString(), names), fileOrder);
}

TEST(ServerSchema, AUserWhoMayNotCreateTablesIsToldWhomToAsk) {
    PgTestServer& testserver = testServer();
    const auto admin = testserver.admin();
    admin->exec(QStringLiteral("CREATE ROLE reader LOGIN PASSWORD 'readonly'"));
    admin->exec(QStringLiteral("CREATE DATABASE owned_elsewhere OWNER %1")
                    .arg(QLatin1String(PgTestServer::kUser)));
    CServerConnection reader(
        testserver.uri(QStringLiteral("owned_elsewhere"), QStringLiteral("reader")),
        QStringLiteral("readonly"));
    try {
        serverschema::ensure(reader);
        ADD_FAILURE() << "created";
    } catch (const CServerError& e) {
        EXPECT_EQ(e.sqlState(), QLatin1String("42501"));
        EXPECT_TRUE(e.description().contains(QLatin1String("may not create them")));
        EXPECT_TRUE(e.description().contains(QLatin1String(PgTestServer::kUser)));
    }
    EXPECT_FALSE(reader.inTransaction());
    EXPECT_EQ(serverschema::version(reader), 0);
}

namespace {

const SourceDef& tableNamed(const QString& name) {
    for (const SourceDef* table : schema::tables())
        if (QLatin1String(table->name) == name)
            return *table;
    throw std::invalid_argument(name.toStdString());
}

// The schema as its first version made it: plain text columns, letter case ignored through
// lower() keys in the indexes, no collation of its own and no LIKE operators.
QStringList versionOneStatements() {
    static const QRegularExpression index(
        QStringLiteral(R"re(^CREATE INDEX ("[^"]+") ON "([^"]+)" \((.*)\)$)re"));
    QStringList statements;
    for (QString statement : serverschema::createStatements()) {
        if (statement.startsWith(QLatin1String("CREATE OR REPLACE FUNCTION")) ||
            statement.startsWith(QLatin1String("CREATE COLLATION")) ||
            statement.contains(QLatin1String("id DESC")) ||
            statement.startsWith(QLatin1String("CREATE OPERATOR")) ||
            statement.contains(QLatin1String("\"SyncItem\"")) ||
            statement.contains(QLatin1String("\"SyncCollection\"")) ||
            statement.contains(QLatin1String("KnownValue")) ||
            statement.contains(QLatin1String("_known_values_")) ||
            statement.contains(QLatin1String("set_config")) ||
            statement.contains(QLatin1String("tarvex_fold_")))
            continue;
        statement.replace(QLatin1String(" COLLATE tarvex_nocase"), QString());
        if (statement.startsWith(QLatin1String("INSERT INTO \"tarvex_schema\"")))
            statement = QStringLiteral("INSERT INTO \"tarvex_schema\" (version) VALUES (1)");
        const QRegularExpressionMatch match = index.match(statement);
        if (match.hasMatch() && !match.captured(3).contains(QLatin1String("created_by"))) {
            const SourceDef& table = tableNamed(match.captured(2));
            QStringList keys;
            for (QString key : match.captured(3).split(QStringLiteral(", "))) {
                key.remove(QLatin1String(" NULLS FIRST"));
                if (key == QLatin1String("\"id\""))
                    continue;
                const QString column = key.mid(1, key.size() - 2);
                keys << (schema::columnType(table, column) == FieldType::Text
                             ? QStringLiteral("lower(%1 COLLATE \"und-x-icu\")").arg(key)
                             : key);
            }
            statement = QStringLiteral("CREATE INDEX %1 ON \"%2\" (%3)")
                            .arg(match.captured(1), match.captured(2), keys.join(u','));
        }
        statements << statement;
    }
    return statements;
}

}  // namespace

// A database made by the first version, with rows, is brought up to date when it is opened:
// the rows stay, and texts then compare and sort without regard to letter case through
// plain indexes on the columns.
TEST(ServerSchema, AVersionOneDatabaseWithRowsIsUpgradedOnOpening) {
    const QString uri = testServer().createDatabase();
    {
        CServerConnection setup(uri, password());
        setup.exec(QStringLiteral("BEGIN"));
        for (const QString& statement : versionOneStatements())
            setup.exec(statement);
        setup.exec(
            QStringLiteral("INSERT INTO \"Person\" (lastname, firstname) VALUES "
                           "('Müller', 'Max'), ('MÜLLER', 'Eva'), ('adams', 'Bob')"));
        setup.exec(QStringLiteral("INSERT INTO \"Firm\" (name) VALUES ('Ölwerk'), ('ÖLWERK')"));
        setup.exec(QStringLiteral("COMMIT"));
        ASSERT_EQ(serverschema::version(setup), 1);
    }
    CDatabase db;
    db.OpenServer(uri, password());
    EXPECT_EQ(serverschema::version(db.server()), serverschema::kVersion);
    EXPECT_EQ(serverschema::rowCount(db.server()), 5);
    // The sync state's tables came with the upgrade.
    EXPECT_EQ(db.server()
                  .exec(QStringLiteral("SELECT to_regclass('\"SyncItem\"') IS NOT NULL AND "
                                       "to_regclass('\"SyncCollection\"') IS NOT NULL"))
                  .text(0, 0),
              QLatin1String("t"));
    // The known values came too, read from the rows already there.
    EXPECT_EQ(serverQueryRows(db.server(),
                              QStringLiteral("SELECT value1, first_row FROM \"KnownValue\" WHERE "
                                             "source = 'Firm.name' ORDER BY first_row")),
              (Rows{{"Ölwerk", "1"}, {"ÖLWERK", "2"}}));

    CPersonRcs persons(&db);
    persons.m_strSort = QStringLiteral("lastname, firstname");
    persons.m_strFilter = QStringLiteral("lastname = 'müller' or lastname like 'A*'");
    persons.Open();
    QStringList names;
    for (; !persons.IsEOF(); persons.MoveNext())
        names << persons.text(QStringLiteral("firstname"));
    EXPECT_EQ(names, (QStringList{"Bob", "Eva", "Max"}));
    CFirmFirmQRcs firmNames(&db);
    firmNames.Open();
    EXPECT_EQ(firmNames.GetRecordCount(), 1);

    // The indexes are on the columns themselves again.
    const CServerResult definitions = db.server().exec(
        QStringLiteral("SELECT indexdef FROM pg_indexes WHERE tablename = 'Person' AND indexdef "
                       "LIKE '%lastname%'"));
    ASSERT_GE(definitions.rowCount(), 1);
    for (int r = 0; r < definitions.rowCount(); ++r)
        EXPECT_FALSE(definitions.text(r, 0).contains(QLatin1String("lower(")))
            << definitions.text(r, 0).toStdString();
}
