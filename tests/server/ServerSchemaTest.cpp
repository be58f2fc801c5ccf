#include <gtest/gtest.h>

#include "ServerTestSupport.h"
#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"

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
