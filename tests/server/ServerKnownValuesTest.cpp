#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>
#include <QUrl>
#include <future>

#include "ServerTestSupport.h"
#include "data/Database.h"
#include "data/FirmRcs.h"
#include "data/KnownValueSources.h"
#include "data/KnownValues.h"
#include "data/ServerConnection.h"
#include "data/ServerKnownValues.h"
#include "data/ServerSchema.h"

namespace {

QString password() {
    return QString::fromUtf8(PgTestServer::kPassword);
}

}  // namespace

// Whatever writes the tables, in single rows or many at once, the kept groups are those a
// grouping of the rows gives: exact texts, NULL as a group of its own, the smallest id.
TEST(KnownValuesOnServer, TheKeptGroupsFollowEveryKindOfWrite) {
    CServerConnection server(testServer().createDatabase(), password());
    serverschema::ensure(server);
    const struct {
        const char* step;
        const char* sql;
    } steps[] = {
        {"persons added at once",
         "INSERT INTO \"Person\" (lastname, firstname, firm) VALUES ('Müller', 'Max', 'Acme'), "
         "('MÜLLER', 'Eva', NULL), ('müller', 'Max', 'acme'), (NULL, NULL, NULL), ('Adams', "
         "'Bob', ''), ('Müller', 'Max', 'Acme')"},
        {"firms and contacts",
         "INSERT INTO \"Firm\" (name, person) VALUES ('Acme', 'Müller Max'), ('ACME', NULL); "
         "INSERT INTO \"Contact\" (person, firm) VALUES ('Müller Max', 'Acme'), ('Adams Bob', "
         "'Acme'), (NULL, 'Beta')"},
        {"alarms", "INSERT INTO \"Alarm\" (name, person, firm) VALUES ('Call', 'Adams Bob', NULL)"},
        {"a change of other columns", "UPDATE \"Person\" SET function = 'Buyer'"},
        {"a group's first row leaves it", "UPDATE \"Person\" SET lastname = 'Meier' WHERE id = 1"},
        {"a group's last row leaves it", "UPDATE \"Person\" SET firm = 'Beta' WHERE id = 3"},
        {"every row changes", "UPDATE \"Person\" SET firm = upper(firm)"},
        {"rows swap their names", "UPDATE \"Contact\" SET person = firm, firm = person"},
        {"deletes",
         "DELETE FROM \"Person\" WHERE lastname = 'müller'; DELETE FROM \"Firm\" WHERE "
         "id = 1"},
        {"a row comes back to a group it left",
         "UPDATE \"Person\" SET lastname = 'Müller' WHERE id = 1"},
        {"emptied", "TRUNCATE \"Contact\"; DELETE FROM \"Alarm\""},
    };
    for (const auto& [step, sql] : steps) {
        for (const QString& statement : QString::fromUtf8(sql).split(QStringLiteral("; ")))
            server.exec(statement);
        expectKnownValuesKept(server, step);
    }
    // A rolled-back write leaves them as they were.
    server.exec(QStringLiteral("BEGIN"));
    server.exec(QStringLiteral("DELETE FROM \"Person\""));
    server.rollback();
    expectKnownValuesKept(server, "rolled back");
    EXPECT_GT(serverQueryRows(server, QStringLiteral("SELECT 1 FROM \"KnownValue\"")).size(), 3u);
}

// Two users delete the two rows of one group at once. The second waits for the first, and
// then must see the first one's delete: deciding from what it saw before it waited would
// keep the group, with a first row that no longer exists.
TEST(KnownValuesOnServer, TwoWritersEmptyingOneGroupAtOnceRemoveIt) {
    const QString uri = testServer().createDatabase();
    CServerConnection first(uri, password());
    serverschema::ensure(first);
    first.exec(
        QStringLiteral("INSERT INTO \"Firm\" (id, name) VALUES (1, 'Acme'), (2, 'Acme'), "
                       "(3, 'Beta')"));

    first.exec(QStringLiteral("BEGIN"));
    first.exec(QStringLiteral("DELETE FROM \"Firm\" WHERE id = 1"));
    std::future<void> second = std::async(std::launch::async, [uri] {
        CServerConnection other(uri, password());
        other.exec(QStringLiteral("DELETE FROM \"Firm\" WHERE id = 2"));
    });
    // Commits once the second writer waits for the group's lock.
    CServerConnection watch(uri, password());
    QElapsedTimer waited;
    waited.start();
    while (watch.exec(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname = "
                                     "current_database() AND wait_event_type = 'Lock'"))
                   .text(0, 0) != QLatin1String("1") &&
           waited.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_LT(waited.elapsed(), 10000) << "the second writer never waited";
    first.exec(QStringLiteral("COMMIT"));
    second.get();

    expectKnownValuesKept(first, "both deleted");
    EXPECT_EQ(serverQueryRows(first, QStringLiteral("SELECT value1 FROM \"KnownValue\" WHERE "
                                                    "source = 'Firm.name'")),
              (Rows{{"Beta"}}));
}

// A colleague with rights on the records alone keeps the groups current through their
// writes; one who may not read the groups still gets the pick lists, from the rows.
TEST(KnownValuesOnServer, AColleagueWithRightsOnTheRecordsAloneKeepsAndGetsThem) {
    const QString uri = testServer().createDatabase();
    const QString database = QUrl(uri).path().mid(1);
    {
        CServerConnection setup(uri, password());
        serverschema::ensure(setup);
        setup.exec(QStringLiteral("INSERT INTO \"Firm\" (name) VALUES ('Acme')"));
    }
    auto admin = testServer().admin();
    admin->exec(QStringLiteral("DROP ROLE IF EXISTS records_only"));
    admin->exec(QStringLiteral("CREATE ROLE records_only LOGIN PASSWORD 'recpw'"));
    auto owner = testServer().admin(database);
    owner->exec(
        QStringLiteral("GRANT ALL ON \"Person\", \"Firm\", \"Contact\", \"Alarm\", "
                       "\"Group\", \"Sharks\", \"Sharks2\", tarvex_schema TO records_only"));
    owner->exec(QStringLiteral("GRANT ALL ON ALL SEQUENCES IN SCHEMA public TO records_only"));

    CDatabase colleague;
    colleague.OpenServer(testServer().uri(database, QStringLiteral("records_only")),
                         QStringLiteral("recpw"));
    EXPECT_FALSE(serverknownvalues::readable(colleague));
    CFirmRcs firms(&colleague);
    firms.Open();
    firms.AddNew();
    firms.setValue(QStringLiteral("name"), QStringLiteral("Zeta"));
    firms.Update();

    CServerConnection check(uri, password());
    expectKnownValuesKept(check, "written by the colleague");

    KnownValueSources sources;
    KnownValueList lists[6];
    ASSERT_TRUE(
        sources.load(colleague, {lists[0], lists[1], lists[2], lists[3], lists[4], lists[5]}));
    EXPECT_EQ(lists[0].items(), (QStringList{"Acme", "Zeta"}));
}

// The load reads each source in the order of first rows; once the table is vacuumed, the
// server answers from the index alone, also in a database made before that index.
TEST(KnownValuesOnServer, TheLoadReadsASourceFromTheIndexAlone) {
    CServerConnection server(testServer().createDatabase(), password());
    serverschema::ensure(server);
    // As the version before made it.
    server.exec(QStringLiteral("DROP INDEX \"KnownValue_load_order\""));
    server.exec(QStringLiteral(
        "CREATE INDEX \"KnownValue_first_row\" ON \"KnownValue\" (source, first_row)"));
    server.exec(QStringLiteral("UPDATE tarvex_schema SET version = 6"));
    serverschema::ensure(server);
    EXPECT_EQ(serverschema::version(server), serverschema::kVersion);
    server.exec(QStringLiteral(
        "INSERT INTO \"Person\" (lastname, firstname) SELECT 'Name' || n, 'First' || n FROM "
        "generate_series(1, 500) AS n"));
    server.exec(QStringLiteral("VACUUM (ANALYZE) \"KnownValue\""));
    EXPECT_EQ(serverQueryRows(server, QStringLiteral("SELECT indexname FROM pg_indexes WHERE "
                                                     "tablename = 'KnownValue' ORDER BY 1")),
              (Rows{{"KnownValue_load_order"}, {"KnownValue_pkey"}}));
    server.exec(QStringLiteral("SET enable_seqscan = off"));
    server.exec(QStringLiteral("SET enable_bitmapscan = off"));
    const Rows plan = serverQueryRows(
        server, QStringLiteral("EXPLAIN SELECT value1, value2, first_row FROM \"KnownValue\" "
                               "WHERE source = 'Person.lastname.firstname' ORDER BY first_row"));
    ASSERT_FALSE(plan.empty());
    EXPECT_TRUE(plan.front().front().startsWith(u"Index Only Scan using \"KnownValue_load_order\""))
        << plan.front().front().toStdString();
}
