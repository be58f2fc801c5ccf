#include <gtest/gtest.h>

#include "DataTestSupport.h"
#include "data/Connection.h"
#include "data/PersonRcs.h"

class ConnectionTest : public DataTest {
protected:
    QList<int> reported;
    std::function<void(const CDbException&)> report = [this](const CDbException& error) {
        reported << error.code();
    };
};

TEST_F(ConnectionTest, DefaultsAndConnectText) {
    EXPECT_EQ(connectText(QStringLiteral("pw")), QStringLiteral(";PWD=pw"));
    EXPECT_EQ(CDatabase::passwordOf(QStringLiteral(";pwd=a;b")), QStringLiteral("a;b"));
    EXPECT_EQ(CDatabase::passwordOf(QStringLiteral(";PWD=")), QString());
    EXPECT_EQ(CDatabase::passwordOf({}), QString());
}

TEST_F(ConnectionTest, ChangesThePasswordAndReopensTheSharedConnection) {
    db.Close();
    openSharedDatabase({});
    CPersonRcs persons(&sharedDatabase());
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("Keep")}});

    ASSERT_EQ(changeDatabasePassword(dbPath, {}, QStringLiteral("new"), report), 1);
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_EQ(currentPassword(), QStringLiteral("new"));
    EXPECT_TRUE(sharedDatabase().IsOpen());
    EXPECT_FALSE(persons.IsOpen());  // closed with the connection

    // A wrong old password: reported, nothing changes, the connection is open again.
    EXPECT_EQ(changeDatabasePassword(dbPath, QStringLiteral("wrong"), QStringLiteral("x"), report),
              0);
    EXPECT_EQ(reported.size(), 1);
    EXPECT_EQ(currentPassword(), QStringLiteral("new"));
    ASSERT_TRUE(sharedDatabase().IsOpen());
    CPersonRcs again(&sharedDatabase());
    again.Open();
    EXPECT_EQ(again.text(QStringLiteral("lastname")), QStringLiteral("Keep"));

    // The same password again is changed like any other.
    again.Close();
    EXPECT_EQ(changeDatabasePassword(dbPath, QStringLiteral("new"), QStringLiteral("new"), report),
              1);
}

TEST_F(ConnectionTest, FailedReopenIsReportedAndLeavesTheConnectionClosed) {
    db.Close();
    openSharedDatabase({});
    setDatabasePath(path(QStringLiteral("elsewhere.mdb")));
    EXPECT_EQ(changeDatabasePassword(dbPath, {}, QStringLiteral("pw"), report), 0);
    EXPECT_EQ(reported.size(), 1);
    EXPECT_FALSE(sharedDatabase().IsOpen());
    EXPECT_EQ(currentPassword(), QStringLiteral("pw"));
}

TEST_F(ConnectionTest, OpeningTheSharedConnectionStoresThePassword) {
    db.Close();
    setCurrentPassword(QStringLiteral("old"));
    // A file without a password opens whatever is typed, and then has no password.
    openSharedDatabase(QStringLiteral("typed"));
    EXPECT_EQ(currentPassword(), QString());
    EXPECT_EQ(sharedDatabase().GetName(), dbPath);
    sharedDatabase().Close();
    openSharedDatabase({});
    EXPECT_EQ(currentPassword(), QString());
}
