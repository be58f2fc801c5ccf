#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "ServerTestSupport.h"
#include "data/Database.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "lists/ListSource.h"

namespace {

// The sessions on the database besides the one that asks.
int otherSessions(CServerConnection& check) {
    return check
        .exec(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname = "
                             "current_database() AND pid <> pg_backend_pid()"))
        .text(0, 0)
        .toInt();
}

}  // namespace

// A server counts the sessions of the whole team against one limit: the open lists of a
// client read through one connection, which goes with the last of them.
TEST(ListConnection, TheOpenListsOfAServerShareOneConnection) {
    const QString password = QString::fromUtf8(PgTestServer::kPassword);
    const QString uri = testServer().createDatabase();
    CServerConnection check(uri, password);
    serverschema::ensure(check);
    check.exec(QStringLiteral("INSERT INTO \"Person\" (lastname) VALUES ('Vor')"));
    check.exec(QStringLiteral("INSERT INTO \"Firm\" (name) VALUES ('Acme')"));
    {
        std::optional<CListSource> persons(std::in_place);
        CListSource firms;
        persons->open(uri, password);
        firms.open(uri, password);
        EXPECT_EQ(&persons->database(), &firms.database());
        EXPECT_EQ(otherSessions(check), 1);

        // They read in turn, each its own table, and one list's end leaves the other's
        // connection open.
        persons->setTable(QStringLiteral("Person"));
        persons->readColumns();
        firms.setTable(QStringLiteral("Firm"));
        firms.readColumns();
        const std::vector<qint32> personIds = persons->readIds({});
        const std::vector<qint32> firmIds = firms.readIds({});
        EXPECT_EQ(persons->readRows(personIds).at(0).at(0), QStringLiteral("Vor"));
        persons.reset();
        EXPECT_EQ(firms.readRows(firmIds).at(0).at(0), QStringLiteral("Acme"));
    }
    // The server ends a session a moment after its client has gone.
    for (int i = 0; i < 100 && otherSessions(check) > 0; ++i)
        QTest::qWait(20);
    EXPECT_EQ(otherSessions(check), 0);
}

// On a file each list keeps a connection of its own, which reads beside the writes.
TEST(ListConnection, TheListsOfAFileEachHaveTheirOwn) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Tarvex.mdb"));
    CDatabase::Create(path, QString());
    CListSource persons;
    CListSource firms;
    persons.open(path, QString());
    firms.open(path, QString());
    EXPECT_NE(&persons.database(), &firms.database());
}
