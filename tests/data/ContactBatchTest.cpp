#include <gtest/gtest.h>

#include <QCoreApplication>

#include "DataTestSupport.h"
#include "data/ContactBatch.h"
#include "data/FileDamage.h"
#include "data/PersonRcs.h"
#include "data/Statement.h"

namespace {

class ContactBatchTest : public DataTest {
protected:
    void TearDown() override {
        filedamage::resetForTesting();
        DataTest::TearDown();
    }
    qint64 persons() { return rowsIn("Person"); }
};

TEST_F(ContactBatchTest, WritesFromTheEventLoopWaitUntilTheBatchHasEnded) {
    CPersonRcs other(&db);
    other.Open();
    QObject context;
    int ran = 0;
    {
        CContactBatch batch(db);
        batch.addPerson({{QStringLiteral("lastname"), QStringLiteral("Able")}});
        EXPECT_TRUE(db.writeGate().isHeld());
        db.writeGate().whenFree(&context, [&ran] { ++ran; });
        // A record set's save in that time is refused rather than rolled back unseen.
        other.AddNew();
        other.setValue(QStringLiteral("lastname"), QStringLiteral("Baker"));
        EXPECT_THROW(other.Update(), CDbException);
        QCoreApplication::processEvents();
        EXPECT_EQ(ran, 0);
    }
    EXPECT_FALSE(db.writeGate().isHeld());
    // Not from inside the batch's end, but from the event loop after it.
    EXPECT_EQ(ran, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(persons(), 0);
    db.writeGate().whenFree(&context, [&ran] { ++ran; });
    EXPECT_EQ(ran, 2);
}

TEST_F(ContactBatchTest, ADamagedFileIsNeverWritten) {
    filedamage::noteDamage();
    EXPECT_THROW(CContactBatch{db}, CDbException);
    EXPECT_FALSE(db.writeGate().isHeld());
    filedamage::resetForTesting();

    // Damage found while the batch runs: nothing more is added and nothing is committed.
    {
        CContactBatch batch(db);
        batch.addPerson({{QStringLiteral("lastname"), QStringLiteral("Able")}});
        filedamage::noteDamage();
        EXPECT_THROW(batch.addPerson({{QStringLiteral("lastname"), QStringLiteral("Baker")}}),
                     CDbException);
        EXPECT_THROW(batch.Commit(), CDbException);
    }
    EXPECT_EQ(persons(), 0);
}

TEST_F(ContactBatchTest, GroupsAreKnownInAnyCaseAndUnknownColumnsAreRefused) {
    CContactBatch batch(db);
    batch.addPerson({{QStringLiteral("lastname"), QStringLiteral("Ölund")},
                     {QStringLiteral("firstname"), QStringLiteral("Åsa")}});
    EXPECT_TRUE(batch.addGroupIfMissing(QStringLiteral("Golf")));
    EXPECT_FALSE(batch.addGroupIfMissing(QStringLiteral("GOLF")));
    EXPECT_THROW(batch.addFirm({{QStringLiteral("name\" , \"id"), QStringLiteral("x")}}),
                 CDbException);
    batch.Commit();
    EXPECT_EQ(persons(), 1);
}

}  // namespace
