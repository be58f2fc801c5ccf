#include <gtest/gtest.h>
#include <sqlite3.h>

#include "DataTestSupport.h"
#include "data/PersonRcs.h"
#include "data/Statement.h"

namespace {

class WriteFaultTest : public DataTest {
protected:
    qint64 addPerson(const char* last) {
        CPersonRcs persons(&db);
        persons.Open();
        return add(persons, {{"lastname", QString::fromUtf8(last)}});
    }
    // Removes a row behind the record set's back, as another program would.
    void removeElsewhere(qint64 id) {
        CDatabase other;
        other.Open(dbPath);
        CStatement(other, QStringLiteral("DELETE FROM Person WHERE id = %1").arg(id)).execute();
    }
    static int failureCode(const std::function<void()>& step) {
        try {
            step();
        } catch (const CDbException& error) {
            return error.code();
        }
        return 0;
    }
};

}  // namespace

TEST_F(WriteFaultTest, UpdateAndDeleteOfAVanishedRowFail) {
    const qint64 id = addPerson("Gone");
    CPersonRcs persons(&db);
    persons.Open();
    ASSERT_EQ(persons.GetBookmark(), id);

    persons.Edit();
    persons.setValue(QStringLiteral("firstname"), QStringLiteral("Late"));
    removeElsewhere(id);
    try {
        persons.Update();
        FAIL() << "an update of a deleted row reported success";
    } catch (const CDbException& error) {
        EXPECT_EQ(error.description(), QStringLiteral("Record is deleted."));
    }
    // The edit is still there to be cancelled or saved elsewhere.
    EXPECT_EQ(persons.GetEditMode(), CRecordSet::dbEditInProgress);
    persons.CancelUpdate();

    // An edit that changes nothing does not hide the loss either.
    persons.Edit();
    EXPECT_EQ(failureCode([&] { persons.Update(); }), SQLITE_NOTFOUND);
    persons.CancelUpdate();

    EXPECT_EQ(failureCode([&] { persons.Delete(); }), SQLITE_NOTFOUND);
}

TEST_F(WriteFaultTest, WritesBlockedByAnotherProgramFailAndChangeNothing) {
    const qint64 id = addPerson("Locked");
    CPersonRcs persons(&db);
    persons.Open();

    CDatabase other;
    other.Open(dbPath);
    CStatement(other, QStringLiteral("BEGIN IMMEDIATE")).execute();

    EXPECT_EQ(failureCode([&] { persons.Delete(); }) & 0xFF, SQLITE_BUSY);
    // The record set stays on the record, with its values.
    EXPECT_EQ(persons.GetBookmark(), id);
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("Locked"));

    persons.Edit();
    persons.setValue(QStringLiteral("lastname"), QStringLiteral("Changed"));
    EXPECT_EQ(failureCode([&] { persons.Update(); }) & 0xFF, SQLITE_BUSY);
    EXPECT_EQ(persons.GetEditMode(), CRecordSet::dbEditInProgress);
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("Changed"));

    CStatement(other, QStringLiteral("ROLLBACK")).execute();
    persons.Update();
    CStatement read(other, QStringLiteral("SELECT lastname FROM Person WHERE id = %1").arg(id));
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.text(0), QStringLiteral("Changed"));
}
