#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "DataTestSupport.h"
#include "data/ChangeNotifier.h"
#include "data/ExternalChangeWatch.h"
#include "data/PersonRcs.h"
#include "data/Transaction.h"
#include "support/OutsideClient.h"

namespace {

// Every announcement made while the object lives.
class Announcements {
public:
    Announcements() {
        m_connection =
            QObject::connect(&changeNotifier(), &CChangeNotifier::changed,
                             [this](const DataChange& change) { seen.push_back(change); });
    }
    ~Announcements() { QObject::disconnect(m_connection); }

    std::vector<DataChange> seen;

private:
    QMetaObject::Connection m_connection;
};

bool holds(const std::vector<qint32>& ids, qint64 id) {
    return std::find(ids.begin(), ids.end(), static_cast<qint32>(id)) != ids.end();
}

using ChangeNotifierTest = DataTest;

TEST_F(ChangeNotifierTest, ARecordSetSaveAnnouncesItsRowOnceCommitted) {
    CPersonRcs persons(&db);
    persons.Open();
    Announcements heard;
    const qint64 id = add(persons, {{"lastname", QStringLiteral("Able")}});
    ASSERT_EQ(heard.seen.size(), 1u);
    const TableChange* person = heard.seen[0].table(u"person");
    ASSERT_NE(person, nullptr);
    EXPECT_TRUE(holds(person->inserted, id));
    EXPECT_FALSE(heard.seen[0].everything);
    EXPECT_FALSE(heard.seen[0].touches(u"Firm"));

    persons.Requery();
    persons.SetBookmark(id);
    persons.Edit();
    persons.setValue(QStringLiteral("lastname"), QStringLiteral("Baker"));
    persons.Update();
    ASSERT_EQ(heard.seen.size(), 2u);
    EXPECT_TRUE(holds(heard.seen[1].table(u"Person")->updated, id));

    persons.Delete();
    ASSERT_EQ(heard.seen.size(), 3u);
    EXPECT_TRUE(holds(heard.seen[2].table(u"Person")->deleted, id));
}

TEST_F(ChangeNotifierTest, ATransactionAnnouncesAtItsCommitAndARollbackNothing) {
    Announcements heard;
    {
        CTransaction transaction(db);
        CStatement(db, QStringLiteral("INSERT INTO Person (lastname) VALUES ('A')")).execute();
        CStatement(db, QStringLiteral("INSERT INTO Firm (name) VALUES ('F')")).execute();
        EXPECT_TRUE(heard.seen.empty());
    }
    EXPECT_TRUE(heard.seen.empty());
    {
        CTransaction transaction(db);
        CStatement(db, QStringLiteral("INSERT INTO Person (lastname) VALUES ('A')")).execute();
        CStatement(db, QStringLiteral("INSERT INTO Firm (name) VALUES ('F')")).execute();
        EXPECT_TRUE(heard.seen.empty());
        transaction.Commit();
    }
    ASSERT_EQ(heard.seen.size(), 1u);
    EXPECT_EQ(heard.seen[0].table(u"Person")->inserted.size(), 1u);
    EXPECT_EQ(heard.seen[0].table(u"Firm")->inserted.size(), 1u);

    // Free text through the connection (which may empty a table in one step, unseen by the
    // engine's hooks) says that anything may have changed.
    db.Execute(QStringLiteral("Delete From [Firm]"));
    ASSERT_EQ(heard.seen.size(), 2u);
    EXPECT_TRUE(heard.seen[1].everything);
}

TEST_F(ChangeNotifierTest, AnotherProgramsCommitIsNoticedByTheWatch) {
    CExternalChangeWatch watch(db);
    Announcements heard;
    EXPECT_FALSE(watch.check());
    // Our own commits do not move the count.
    CStatement(db, QStringLiteral("INSERT INTO Person (lastname) VALUES ('Own')")).execute();
    EXPECT_FALSE(watch.check());
    heard.seen.clear();

    OutsideClient::query(dbPath, QStringLiteral("INSERT INTO Person (lastname) VALUES ('Other');"));
    EXPECT_TRUE(watch.check());
    ASSERT_EQ(heard.seen.size(), 1u);
    EXPECT_TRUE(heard.seen[0].everything);
    EXPECT_FALSE(watch.check());
}

}  // namespace
