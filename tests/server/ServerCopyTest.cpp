#include <gtest/gtest.h>

#include <sqlite3.h>

#include <QFile>

#include "ServerTestSupport.h"
#include "TempWorkDir.h"
#include "data/CopyComparison.h"
#include "data/EngineHandle.h"
#include "data/Schema.h"
#include "data/ServerConnection.h"
#include "data/ServerCopy.h"
#include "data/ServerSchema.h"
#include "data/Statement.h"

namespace {

QString password() {
    return QString::fromUtf8(PgTestServer::kPassword);
}

EngineHandle openFile(const QString& path, const QString& key = {}) {
    EngineHandle handle = openEngineFile(path, SQLITE_OPEN_READONLY);
    configureEngineHandle(handle.get(), key);
    return handle;
}

class ServerCopyTest : public TempWorkDirTest {
protected:
    void SetUp() override {
        TempWorkDirTest::SetUp();
        m_uri = testServer().createDatabase();
        writeAwkwardFile(path(QStringLiteral("Tarvex.mdb")), QStringLiteral("file pw"));
    }

    servercopy::Result toServer(CServerConnection& server,
                                const servercopy::Progress& progress = {}) {
        return servercopy::copyFileToServer(path(QStringLiteral("Tarvex.mdb")),
                                            QStringLiteral("file pw"), server, progress);
    }

    QString m_uri;
};

}  // namespace

TEST_F(ServerCopyTest, AFileGoesToTheServerAndBackWithEveryValueIntact) {
    CServerConnection server(m_uri, password());
    std::vector<qint64> reported;
    const servercopy::Result sent = toServer(server, [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 56);
        reported.push_back(done);
        return true;
    });
    EXPECT_EQ(sent.rows, 56);
    EXPECT_EQ(sent.sampledRows, 56);
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), 56);
    EXPECT_FALSE(server.inTransaction());

    const EngineHandle original =
        openFile(path(QStringLiteral("Tarvex.mdb")), QStringLiteral("file pw"));
    CServerConnection other(m_uri, password());
    for (const SourceDef* table : schema::tables())
        EXPECT_EQ(serverRows(other, table->name), fileRows(original.get(), table->name))
            << table->name;
    expectKnownValuesKept(other, "copied");
    // New rows on the server take ids past the copied ones.
    EXPECT_EQ(other
                  .exec(QStringLiteral("INSERT INTO \"Person\" (lastname) VALUES ('new') "
                                       "RETURNING id"))
                  .text(0, 0),
              QLatin1String("24"));

    const QString back = path(QStringLiteral("back.mdb"));
    const servercopy::Result received =
        servercopy::copyServerToFile(server, back, QStringLiteral("new pw"), {});
    EXPECT_EQ(received.rows, 57);
    EXPECT_THROW(CStatement(openFile(back, QStringLiteral("wrong")).get(),
                            QStringLiteral("SELECT count(*) FROM sqlite_master"))
                     .step(),
                 CDbException);
    const EngineHandle copy = openFile(back, QStringLiteral("new pw"));
    for (const SourceDef* table : schema::tables()) {
        Rows expected = fileRows(original.get(), table->name);
        if (table == &schema::Person)
            expected.push_back(serverRows(other, "Person").back());
        EXPECT_EQ(fileRows(copy.get(), table->name), expected) << table->name;
    }
    // The copy's key counter continues past the largest id, as the server's does.
    CStatement next(copy.get(),
                    QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'Person'"));
    ASSERT_TRUE(next.step());
    EXPECT_EQ(next.int64(0), 24);

    // An existing file is never replaced.
    EXPECT_THROW(servercopy::copyServerToFile(server, back, {}, {}), CDbException);
    EXPECT_TRUE(QFile::exists(back));
}

// A sync with a phone goes on after a move where the last one ended: its state travels with
// the records, whose ids stay, and the state that an empty database held is dropped.
TEST_F(ServerCopyTest, TheSyncStateTravelsWithTheRecords) {
    const QString items = QStringLiteral(
        "SELECT collection, href, kind, record, etag, uid, card, fields FROM \"SyncItem\" ORDER "
        "BY collection, href");
    const QString collections =
        QStringLiteral("SELECT collection, token, ctag FROM \"SyncCollection\"");
    {
        EngineHandle file =
            openEngineFile(path(QStringLiteral("Tarvex.mdb")), SQLITE_OPEN_READWRITE);
        configureEngineHandle(file.get(), QStringLiteral("file pw"));
        CStatement(
            file.get(),
            QStringLiteral("INSERT INTO \"SyncItem\" VALUES ('anna@http://h/book/', "
                           "'/book/a.vcf', 0, 3, '\"e1\"', 'u-a', 'BEGIN:VCARD\r\nN:O''B\\\\;"
                           "\t;;;\r\nEND:VCARD\r\n', 'fields'), ('anna@http://h/book/', "
                           "'/book/b.vcf', 1, 2, NULL, NULL, NULL, NULL)"))
            .execute();
        CStatement(file.get(), QStringLiteral("INSERT INTO \"SyncCollection\" VALUES "
                                              "('anna@http://h/book/', 'token-1', NULL)"))
            .execute();
    }
    CServerConnection server(m_uri, password());
    serverschema::ensure(server);
    server.exec(
        QStringLiteral("INSERT INTO \"SyncItem\" (collection, href, kind, record) VALUES "
                       "('stale', '/x.vcf', 0, 1)"));
    toServer(server);
    const EngineHandle original =
        openFile(path(QStringLiteral("Tarvex.mdb")), QStringLiteral("file pw"));
    ASSERT_EQ(fileQueryRows(original.get(), items).size(), 2u);
    EXPECT_EQ(serverQueryRows(server, items), fileQueryRows(original.get(), items));
    EXPECT_EQ(serverQueryRows(server, collections), fileQueryRows(original.get(), collections));

    const QString back = path(QStringLiteral("back.mdb"));
    servercopy::copyServerToFile(server, back, {}, {});
    const EngineHandle copy = openFile(back);
    EXPECT_EQ(fileQueryRows(copy.get(), items), fileQueryRows(original.get(), items));
    EXPECT_EQ(fileQueryRows(copy.get(), collections), fileQueryRows(original.get(), collections));
}

TEST_F(ServerCopyTest, AServerThatHoldsRecordsIsRefusedAndLeftAsItWas) {
    CServerConnection server(m_uri, password());
    serverschema::ensure(server);
    server.exec(QStringLiteral("INSERT INTO \"Group\" (\"Name\") VALUES ('already here')"));
    try {
        toServer(server);
        ADD_FAILURE() << "copied";
    } catch (const CServerError& e) {
        EXPECT_TRUE(e.description().contains(QLatin1String("already holds Tarvex records")));
    }
    EXPECT_EQ(serverschema::rowCount(server), 1);

    // A server without the schema has nothing to copy into a file.
    CServerConnection empty(testServer().createDatabase(), password());
    EXPECT_THROW(servercopy::copyServerToFile(empty, path(QStringLiteral("x.mdb")), {}, {}),
                 CServerError);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("x.mdb"))));
}

TEST_F(ServerCopyTest, AFailureHalfWayLeavesEachTargetAsItWas) {
    CServerConnection server(m_uri, password());
    // A constraint that the fifth contact breaks: the copy fails after three tables are in.
    serverschema::ensure(server);
    server.exec(QStringLiteral("ALTER TABLE \"Contact\" ADD CHECK (id <> 14)"));
    EXPECT_THROW(toServer(server), CServerError);
    EXPECT_EQ(serverschema::rowCount(server), 0);
    server.exec(QStringLiteral("ALTER TABLE \"Contact\" DROP CONSTRAINT \"Contact_id_check\""));

    // A cancel after the first table, and a server that goes away there.
    EXPECT_THROW(toServer(server, [](qint64 done, qint64) { return done == 0; }),
                 servercopy::CCopyCancelled);
    EXPECT_EQ(serverschema::rowCount(server), 0);
    toServer(server);

    const QString target = path(QStringLiteral("cancelled.mdb"));
    EXPECT_THROW(servercopy::copyServerToFile(server, target, {},
                                              [](qint64 done, qint64) { return done == 0; }),
                 servercopy::CCopyCancelled);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_FALSE(QFile::exists(target + QStringLiteral("-wal")));

    PgTestServer& running = testServer();
    EXPECT_THROW(servercopy::copyServerToFile(server, target, {},
                                              [&](qint64 done, qint64) {
                                                  if (done > 0)
                                                      running.stop();
                                                  return true;
                                              }),
                 CServerError);
    running.start();
    EXPECT_FALSE(QFile::exists(target));

    CServerConnection fresh(testServer().createDatabase(), password());
    try {
        toServer(fresh, [&](qint64 done, qint64) {
            if (done > 0)
                running.stop();
            return true;
        });
        ADD_FAILURE() << "copied";
    } catch (const CServerError& e) {
        EXPECT_TRUE(e.description().contains(QLatin1String("lost"))) << e.what();
    }
    running.start();
    CServerConnection after(testServer().uri(fresh.database()), password());
    EXPECT_EQ(serverschema::version(after), 0);
}

TEST_F(ServerCopyTest, TheComparisonFindsAChangedValue) {
    CServerConnection server(m_uri, password());
    toServer(server);
    const EngineHandle file =
        openFile(path(QStringLiteral("Tarvex.mdb")), QStringLiteral("file pw"));
    EXPECT_TRUE(copycomparison::compare(file.get(), server).difference.isEmpty());

    // NULL and an empty text are different values.
    server.exec(QStringLiteral("UPDATE \"Firm\" SET web = '' WHERE id = 11"));
    const QString difference = copycomparison::compare(file.get(), server).difference;
    EXPECT_TRUE(difference.contains(QLatin1String("web"))) << difference.toStdString();
    EXPECT_TRUE(difference.contains(QLatin1String("NULL in the contacts file")))
        << difference.toStdString();

    server.exec(QStringLiteral("UPDATE \"Firm\" SET web = NULL WHERE id = 11"));
    server.exec(QStringLiteral("DELETE FROM \"Sharks2\" WHERE id = 23"));
    EXPECT_TRUE(
        copycomparison::compare(file.get(), server).difference.contains(QLatin1String("Sharks2")));
}
