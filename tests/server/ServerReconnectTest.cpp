#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "ServerTestSupport.h"
#include "data/ChangeNotifier.h"
#include "data/Database.h"
#include "data/ExternalChangeWatch.h"
#include "data/PersonRcs.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "lists/ListSource.h"
#include "lists/SearchResultModel.h"

// The server goes away under a running client and comes back: the change watch says so,
// makes the connection again, and has everything read anew; the record sets, the lists and
// the search tool, which read on connections of their own, work on.
TEST(ServerReconnect, ALostConnectionIsMadeAgainAndEverythingIsReadAnew) {
    const QString password = QString::fromUtf8(PgTestServer::kPassword);
    const QString uri = testServer().createDatabase();
    {
        CServerConnection setup(uri, password);
        serverschema::ensure(setup);
        setup.exec(QStringLiteral("INSERT INTO \"Person\" (lastname) VALUES ('Vor')"));
    }
    CDatabase db;
    db.OpenServer(uri, password);
    CPersonRcs persons(&db);
    persons.Open();
    CListSource list;
    list.open(uri, password);
    list.setTable(QStringLiteral("Person"));
    list.readColumns();
    CSearchResultModel search;
    search.search(uri, password, {SearchKind::Person}, QStringLiteral("vor"));
    search.wait();
    ASSERT_EQ(search.hitCount(), 1);
    CExternalChangeWatch watch(db);
    std::vector<std::pair<bool, QString>> said;
    QObject::connect(&watch, &CExternalChangeWatch::serverConnection,
                     [&said](bool lost, const QString& text) { said.emplace_back(lost, text); });
    std::vector<DataChange> announced;
    const QMetaObject::Connection listening =
        QObject::connect(&changeNotifier(), &CChangeNotifier::changed,
                         [&announced](const DataChange& change) { announced.push_back(change); });

    testServer().stop();
    EXPECT_FALSE(watch.check());
    EXPECT_FALSE(watch.check()) << "still away: tried again, said once";
    ASSERT_EQ(said.size(), 1u);
    EXPECT_TRUE(said[0].first);
    EXPECT_THROW(persons.Requery(), CDbException);

    testServer().start();
    EXPECT_TRUE(watch.check());
    ASSERT_EQ(said.size(), 2u);
    EXPECT_FALSE(said[1].first);
    ASSERT_FALSE(announced.empty());
    EXPECT_TRUE(announced.back().everything);

    // The record set reads through the new connection, and writes through it.
    persons.Requery();
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("Vor"));
    const std::vector<qint32> ids = list.readIds({});
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(list.readRows(ids).at(0).at(0), QStringLiteral("Vor"));
    search.wait();
    ASSERT_EQ(search.hitCount(), 1);
    EXPECT_EQ(search.line(0), QStringLiteral("Person: Vor  Firm: "));
    persons.Edit();
    persons.setValue(QStringLiteral("firstname"), QStringLiteral("Nach"));
    EXPECT_NO_THROW(persons.Update());
    QObject::disconnect(listening);
}

namespace {

// Waits up to two seconds, letting events run, for the notifier to announce a change.
bool heardWithinTwoSeconds(std::vector<DataChange>& announced) {
    for (int i = 0; i < 200 && announced.empty(); ++i)
        QTest::qWait(10);
    return !announced.empty();
}

}  // namespace

// Another user's commit is passed on as soon as the server's notification arrives, not at
// the watch's next regular look; so it is after the connection was lost and made again.
TEST(ServerReconnect, AnotherUsersCommitIsHeardAtOnce) {
    const QString password = QString::fromUtf8(PgTestServer::kPassword);
    const QString uri = testServer().createDatabase();
    {
        CServerConnection setup(uri, password);
        serverschema::ensure(setup);
    }
    CDatabase db(CDatabase::Hears::EveryClient);
    db.OpenServer(uri, password);
    CExternalChangeWatch watch(db);
    watch.start(60 * 60 * 1000);
    std::vector<bool> lost;
    QObject::connect(&watch, &CExternalChangeWatch::serverConnection,
                     [&lost](bool isLost, const QString&) { lost.push_back(isLost); });
    std::vector<DataChange> announced;
    const QMetaObject::Connection listening =
        QObject::connect(&changeNotifier(), &CChangeNotifier::changed,
                         [&announced](const DataChange& change) { announced.push_back(change); });
    const auto colleagueAdds = [&](const char* name) {
        CServerConnection colleague(uri, password);
        colleague.exec(QStringLiteral("INSERT INTO \"Person\" (lastname) VALUES ($1)"),
                       {QString::fromUtf8(name)});
    };

    colleagueAdds("Sofort");
    ASSERT_TRUE(heardWithinTwoSeconds(announced));
    EXPECT_TRUE(announced.back().touches(u"Person"));

    // The closed socket is noticed, said once, and not watched while the server is away.
    testServer().stop();
    for (int i = 0; i < 200 && lost.empty(); ++i)
        QTest::qWait(10);
    QTest::qWait(100);
    EXPECT_EQ(lost, std::vector<bool>{true});
    testServer().start();
    EXPECT_TRUE(watch.check());
    EXPECT_EQ(lost, (std::vector<bool>{true, false}));

    announced.clear();
    colleagueAdds("Wieder");
    ASSERT_TRUE(heardWithinTwoSeconds(announced));
    EXPECT_TRUE(announced.back().touches(u"Person"));
    QObject::disconnect(listening);
}
