#include <QTest>
#include <QUrl>

#include "ServerTestSupport.h"
#include "StoreFixture.h"
#include "alarms/AlarmStatus.h"
#include "data/ServerConnection.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"
#include "data/SyncTurn.h"
#include "sync/RadicaleFixture.h"

namespace {

QByteArray card(const QString& uid, const QString& last, const QString& first) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() + "\r\nN:" + last.toUtf8() + ';' +
           first.toUtf8() + ";;;\r\nFN:" + first.toUtf8() + ' ' + last.toUtf8() +
           "\r\nEND:VCARD\r\n";
}

QByteArray event(const QString& uid, const QString& summary, const QByteArray& start) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\nBEGIN:VEVENT\r\nUID:" +
           uid.toUtf8() + "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:" + start +
           "\r\nSUMMARY:" + summary.toUtf8() + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// A sync with an address book and a calendar whose records are on the team's server.
class SyncOnServer : public RadicaleOn<StoreTest> {
protected:
    QStringList column(CDatabase& connection, const QString& sql) {
        QStringList values;
        CStatement read(connection, sql);
        while (read.step())
            values << read.text(0);
        values.sort();
        return values;
    }
    QStringList serverFiles(const char* collection) const {
        return QDir(m_serverDir.filePath(QStringLiteral("store/collection-root/%1/%2")
                                             .arg(QLatin1String(kUser), QLatin1String(collection))))
            .entryList(QDir::Files | QDir::NoDotAndDotDot);
    }
    QByteArray serverText(const char* collection) const {
        QByteArray all;
        const QDir dir(
            m_serverDir.filePath(QStringLiteral("store/collection-root/%1/%2")
                                     .arg(QLatin1String(kUser), QLatin1String(collection))));
        for (const QString& name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                all += file.readAll();
        }
        return all;
    }
    qint64 addAlarm(const QString& name, const QString& createdBy = {}) {
        const QString moment = toStoredDateTime(QDateTime(QDate(2031, 3, 4), QTime(9, 30)));
        db.server().exec(
            createdBy.isEmpty()
                ? QStringLiteral("INSERT INTO \"Alarm\" (name, date, time, status) VALUES ($1, "
                                 "$2, $2, %1)")
                      .arg(alarmstatus::Pending)
                : QStringLiteral("INSERT INTO \"Alarm\" (name, date, time, status, created_by) "
                                 "VALUES ($1, $2, $2, %1, $3)")
                      .arg(alarmstatus::Pending),
            createdBy.isEmpty() ? QVariantList{name, moment}
                                : QVariantList{name, moment, createdBy});
        return db.server().exec(QStringLiteral("SELECT lastval()")).text(0, 0).toLongLong();
    }
};

// The sync state is kept on the server: a second client of the team finds nothing left to do,
// and a colleague's change of a synced record reaches the address book.
TEST_P(SyncOnServer, TheAddressBookFollowsTheTeamsRecords) {
    db.server().exec(
        QStringLiteral("INSERT INTO \"Person\" (lastname, firstname) VALUES ('Berg', 'Lena')"));
    putCard(QStringLiteral("dahl"),
            card(QStringLiteral("u-dahl"), QStringLiteral("Dahl"), QStringLiteral("Eva")));

    const SyncSummary first = sync();
    ASSERT_TRUE(first.ok()) << first.text().toStdString();
    EXPECT_EQ(first.received, 1);
    EXPECT_EQ(first.sent, 1);
    EXPECT_EQ(serverFiles("contacts").size(), 2);

    CDatabase other;
    open(other);
    EXPECT_EQ(column(other, QStringLiteral("SELECT lastname FROM Person")),
              (QStringList{"Berg", "Dahl"}));
    EXPECT_EQ(column(other, QStringLiteral("SELECT href FROM \"SyncItem\"")).size(), 2);

    // Another client of the same account, with its own connection.
    const SyncSummary second = run(*CCollectionSync::forAddressBook(other, account()));
    ASSERT_TRUE(second.ok()) << second.text().toStdString();
    EXPECT_EQ(second.received + second.sent + second.deleted, 0) << second.text().toStdString();

    other.server().exec(
        QStringLiteral("UPDATE \"Person\" SET phone_mobile = '+46 70 9' WHERE lastname = 'Dahl'"));
    const SyncSummary third = sync();
    ASSERT_TRUE(third.ok()) << third.text().toStdString();
    EXPECT_EQ(third.sent, 1) << third.text().toStdString();
    EXPECT_TRUE(serverText("contacts").contains("+46 70 9"));
}

// A user's calendar holds the alarms the user made, as the user's scheduler watches them; an
// event made on the phone becomes the user's alarm.
TEST_P(SyncOnServer, TheCalendarHoldsTheUsersOwnAlarms) {
    addAlarm(QStringLiteral("Mine"));
    addAlarm(QStringLiteral("Theirs"), QStringLiteral("colleague"));
    const QString href = calendarPath() + QStringLiteral("phone.ics");
    ASSERT_LT(
        curl("PUT", href,
             event(QStringLiteral("u-phone"), QStringLiteral("From the phone"), "20310305T080000"),
             {QStringLiteral("Content-Type: text/calendar")})
            .status,
        300);

    const SyncSummary summary = syncCalendar();
    ASSERT_TRUE(summary.ok()) << summary.text().toStdString();
    EXPECT_EQ(summary.sent, 1);
    EXPECT_EQ(summary.received, 1);
    const QByteArray events = serverText("alarms");
    EXPECT_TRUE(events.contains("SUMMARY:Mine"));
    EXPECT_FALSE(events.contains("Theirs"));
    EXPECT_EQ(column(db, QStringLiteral("SELECT created_by FROM Alarm WHERE name = 'From the "
                                        "phone'")),
              QStringList{QLatin1String(PgTestServer::kUser)});

    // An alarm the calendar holds is not taken for deleted when it is no longer the user's:
    // a colleague who syncs the same calendar has it there too.
    db.server().exec(
        QStringLiteral("UPDATE \"Alarm\" SET created_by = 'colleague' WHERE name = "
                       "'Mine'"));
    const SyncSummary quiet = syncCalendar();
    ASSERT_TRUE(quiet.ok()) << quiet.text().toStdString();
    EXPECT_EQ(quiet.received + quiet.sent + quiet.deleted, 0) << quiet.text().toStdString();
    EXPECT_TRUE(serverText("alarms").contains("SUMMARY:Mine"));
    EXPECT_EQ(column(db, QStringLiteral("SELECT name FROM Alarm")),
              (QStringList{"From the phone", "Mine", "Theirs"}));
}

// Two clients that sync one collection at once would both take a new card for a new record:
// the second waits for its turn, which a client that goes away gives up.
TEST_P(SyncOnServer, OneClientAtATimeSyncsACollection) {
    putCard(QStringLiteral("dahl"),
            card(QStringLiteral("u-dahl"), QStringLiteral("Dahl"), QStringLiteral("Eva")));
    CDatabase other;
    open(other);
    CSyncTurn othersTurn;
    ASSERT_TRUE(othersTurn.take(other, account().collectionKey()));

    const SyncSummary refused = sync();
    EXPECT_TRUE(refused.error.startsWith(QLatin1String("Another client is syncing")))
        << refused.text().toStdString();
    EXPECT_TRUE(column(db, QStringLiteral("SELECT lastname FROM Person")).isEmpty());
    EXPECT_TRUE(column(db, QStringLiteral("SELECT href FROM \"SyncItem\"")).isEmpty());

    other.Close();
    // The server lets the turn go when the other session has ended, a moment after its
    // client closed it.
    for (int i = 0; i < 100 && !column(db, QStringLiteral("SELECT 1 FROM pg_locks WHERE "
                                                          "locktype = 'advisory'"))
                                    .isEmpty();
         ++i)
        QTest::qWait(20);
    const std::unique_ptr<CCollectionSync> engine = CCollectionSync::forAddressBook(db, account());
    const SyncSummary synced = run(*engine);
    ASSERT_TRUE(synced.ok()) << synced.text().toStdString();
    EXPECT_EQ(synced.received, 1);
    EXPECT_EQ(column(db, QStringLiteral("SELECT lastname FROM Person")), QStringList{"Dahl"});
    // The sync gave its turn back at its end, not only when it goes.
    CDatabase third;
    open(third);
    CSyncTurn thirdsTurn;
    EXPECT_TRUE(thirdsTurn.take(third, account().collectionKey()));
}

INSTANTIATE_TEST_SUITE_P(Store, SyncOnServer, testing::Values(Store::Server), storeName);

}  // namespace
