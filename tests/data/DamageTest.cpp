#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>

#include "DataTestSupport.h"
#include "data/FileDamage.h"
#include "data/IntegrityCheck.h"
#include "data/PersonRcs.h"
#include "data/Statement.h"

namespace {

// A contacts file with enough persons to fill many pages, then one page of the Person
// table overwritten, as a failing disk would leave it.
class DamageTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        filedamage::resetForTesting();
        filedamage::setListener([this] { ++told; });
        CStatement(db, QStringLiteral("BEGIN")).execute();
        CStatement insert(db, QStringLiteral("INSERT INTO Person (lastname, firstname, "
                                             "description) VALUES (?1, ?2, ?3)"));
        for (int i = 0; i < 2000; ++i) {
            insert.bind(1, QStringLiteral("Name%1").arg(i, 4, 10, QLatin1Char('0')));
            insert.bind(2, QStringLiteral("First"));
            insert.bind(3, QStringLiteral("marker-%1 ").arg(i).repeated(4));
            insert.execute();
            insert.reset();
        }
        CStatement(db, QStringLiteral("COMMIT")).execute();
    }
    void TearDown() override {
        filedamage::resetForTesting();
        DataTest::TearDown();
    }

    // Closes every connection (which moves the log into the file) and overwrites the page
    // that holds the given person's row.
    void damagePersonPage(int person) {
        qint64 pageSize = 0;
        {
            CStatement size(db, QStringLiteral("PRAGMA page_size"));
            ASSERT_TRUE(size.step());
            pageSize = size.int64(0);
        }
        db.Close();
        QFile file(dbPath);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QByteArray bytes = file.readAll();
        const qsizetype at = bytes.indexOf(QStringLiteral("marker-%1 ").arg(person).toUtf8());
        ASSERT_GT(at, 0);
        ASSERT_TRUE(file.seek(at / pageSize * pageSize));
        file.write(QByteArray(pageSize, '\x55'));
        file.close();
        db.Open(dbPath);
    }
    static bool readsEveryPerson(CDatabase& on) {
        CPersonRcs persons(&on);
        persons.Open();
        for (; !persons.IsEOF(); persons.MoveNext())
            persons.text(QStringLiteral("description"));
        return true;
    }

    int told = 0;
};

}  // namespace

TEST_F(DamageTest, TheBackgroundCheckFindsADamagedPage) {
    {
        CIntegrityCheck sound(dbPath, {});
        sound.wait();
    }
    EXPECT_FALSE(filedamage::isDamaged());

    damagePersonPage(1000);
    CIntegrityCheck check(dbPath, {});
    check.wait();
    EXPECT_TRUE(filedamage::isDamaged());
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(filedamage::damageMessage(dbPath).contains(QStringLiteral("is damaged")));
}

TEST_F(DamageTest, DamageMetWhileReadingStopsEveryWrite) {
    damagePersonPage(1000);
    EXPECT_THROW(readsEveryPerson(db), CDbException);
    ASSERT_TRUE(filedamage::isDamaged());
    EXPECT_EQ(told, 1);

    // Nothing more is written to the file in this run, whatever the table.
    CPersonRcs persons(&db);
    persons.Open();
    EXPECT_THROW(persons.AddNew(), CDbException);
    EXPECT_THROW(persons.Edit(), CDbException);
    EXPECT_THROW(persons.Delete(), CDbException);
    EXPECT_THROW(db.Execute(QStringLiteral("DELETE FROM [Group]")), CDbException);
    try {
        persons.CheckWritable();
        FAIL();
    } catch (const CDbException& error) {
        EXPECT_EQ(error.code() & 0xFF, SQLITE_CORRUPT);
        EXPECT_EQ(error.helpContext(), QStringLiteral("db-damaged"));
    }
    // Noticed once, told once.
    EXPECT_THROW(readsEveryPerson(db), CDbException);
    EXPECT_EQ(told, 1);
}

TEST_F(DamageTest, ClosingTheProgramStopsACheckAtOnce) {
    damagePersonPage(1000);
    for (int i = 0; i < 20; ++i)
        CIntegrityCheck check(dbPath, {});  // interrupted and joined, wherever it was
    EXPECT_LE(told, 1);
}
