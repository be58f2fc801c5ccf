#include <QProcess>

#include <map>
#include "RadicaleFixture.h"

#include "alarms/AlarmScheduler.h"
#include "alarms/AlarmStatus.h"
#include "alarms/AlarmTable.h"
#include "alarms/SchedulerUpdate.h"
#include "data/ChangeNotifier.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"
#include "exchange/AlarmCalendar.h"

namespace {

QByteArray event(const QString& uid, const QString& summary, const QByteArray& start,
                 const QByteArray& more = {}) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\nBEGIN:VEVENT\r\nUID:" +
           uid.toUtf8() + "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:" + start +
           "\r\nSUMMARY:" + summary.toUtf8() + "\r\n" + more + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

std::map<qint32, qint32> momentsOf(const AlarmTable& table) {
    std::map<qint32, qint32> moments;
    for (const AlarmEntry& entry : table)
        moments[entry.id] = entry.when;
    return moments;
}

class CalendarSyncTest : public RadicaleTest {
protected:
    void TearDown() override {
        QObject::disconnect(m_heard);
        m_scheduler.reset();
        RadicaleTest::TearDown();
    }
    // A scheduler that follows the file through the change notifier, as the program's does.
    void startScheduler() {
        m_scheduler = std::make_unique<CAlarmScheduler>(&m_receiver, [](qint32) {});
        ASSERT_TRUE(m_scheduler->Start(LoadAlarmTable(db)));
        m_heard = QObject::connect(&changeNotifier(), &CChangeNotifier::changed,
                                   [this](const DataChange& change) {
                                       if (!UpdateSchedulerAfter(change, *m_scheduler, db))
                                           m_scheduler->Start(LoadAlarmTable(db));
                                   });
    }
    void expectSchedulerFollows() {
        EXPECT_EQ(momentsOf(m_scheduler->watched()), momentsOf(LoadAlarmTable(db)));
    }

    qint64 addAlarm(const QString& name, const QDateTime& when, int status = alarmstatus::Pending,
                    const QString& person = {}) {
        CStatement insert(db, QStringLiteral("INSERT INTO \"Alarm\" (\"name\", \"date\", \"time\", "
                                             "\"status\", \"person\") VALUES (?, ?, ?, ?, ?)"));
        insert.bind(1, name);
        insert.bind(2, toStoredDateTime(when));
        insert.bind(3, toStoredDateTime(when));
        insert.bind(4, status);
        insert.bind(5, person.isEmpty() ? QVariant() : QVariant(person));
        insert.execute();
        CStatement id(db, QStringLiteral("SELECT last_insert_rowid()"));
        id.step();
        return id.int64(0);
    }
    void setAlarm(qint64 id, const char* column, const QVariant& value) {
        CStatement update(db, QStringLiteral("UPDATE \"Alarm\" SET \"%1\" = ? WHERE \"id\" = ?")
                                  .arg(QLatin1String(column)));
        update.bind(1, value);
        update.bind(2, id);
        update.execute();
    }
    // "name|date|status" of every alarm, sorted.
    QStringList alarms() {
        QStringList rows;
        CStatement read(db, QStringLiteral("SELECT \"name\", \"date\", \"status\" FROM \"Alarm\""));
        while (read.step())
            rows << QStringLiteral("%1|%2|%3").arg(read.text(0), read.text(1), read.text(2));
        rows.sort();
        return rows;
    }
    QObject m_receiver;
    std::unique_ptr<CAlarmScheduler> m_scheduler;
    QMetaObject::Connection m_heard;

    QString calendarFolder() const {
        return m_serverDir.filePath(
            QStringLiteral("store/collection-root/%1/alarms").arg(QLatin1String(kUser)));
    }
    // The server's events as another program's reader takes them.
    QStringList serverEvents() {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(TARVEX_TEST_DIR "/read_events.py"), calendarFolder()});
        EXPECT_TRUE(python.waitForFinished(60'000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    QString putEvent(const QString& name, const QByteArray& text) {
        const QString href = calendarPath() + name + QStringLiteral(".ics");
        EXPECT_LT(curl("PUT", href, text, {QStringLiteral("Content-Type: text/calendar")}).status,
                  300);
        return href;
    }
    void expectQuiet() {
        const SyncSummary quiet = syncCalendar();
        EXPECT_TRUE(quiet.ok()) << quiet.text().toStdString();
        EXPECT_EQ(quiet.received + quiet.sent + quiet.deleted, 0) << quiet.text().toStdString();
    }
    static QDateTime at(int y, int m, int d, int h, int min) {
        return wallClock(QDate(y, m, d), QTime(h, min));
    }
};

TEST_F(CalendarSyncTest, AlarmsMadeHereBecomeEventsWithRuleAndReminder) {
    const qint64 daily =
        addAlarm("Water the plants", at(2026, 7, 1, 8, 30), alarmstatus::EveryDay, "Novak Ana");
    addAlarm("Dentist", at(2026, 7, 3, 14, 0));
    addAlarm("Long done", at(2025, 1, 1, 9, 0), alarmstatus::Done);

    const SyncSummary summary = syncCalendar();
    ASSERT_TRUE(summary.ok()) << summary.text().toStdString();
    EXPECT_EQ(summary.sent, 2);
    EXPECT_EQ(serverEvents(),
              (QStringList{"Dentist|2026-07-03 14:00:00||1|",
                           "Water the plants|2026-07-01 08:30:00|FREQ=DAILY|1|Person: Novak Ana"}));
    expectQuiet();

    // The notice steps a repeating alarm on to its next day: not a change for the server.
    setAlarm(daily, "date", QStringLiteral("2026-07-02 08:30:00"));
    expectQuiet();
    // A change of its rule is, and the moment goes with it.
    setAlarm(daily, "status", alarmstatus::EveryMonth);
    const SyncSummary ruled = syncCalendar();
    EXPECT_EQ(ruled.sent, 1) << ruled.text().toStdString();
    EXPECT_TRUE(serverEvents().contains(
        u"Water the plants|2026-07-02 08:30:00|FREQ=MONTHLY|1|Person: Novak Ana"));
}

TEST_F(CalendarSyncTest, EventsAddedChangedAndDeletedOnTheServerArriveHere) {
    const qint64 local = addAlarm("Mine", at(2026, 8, 1, 9, 0));
    startScheduler();
    const QString href = putEvent(
        "phone", event("p-1", "Call Eva", "20260805T101500",
                       "RRULE:FREQ=YEARLY\r\nX-PHONE-COLOR:red\r\nDESCRIPTION:Bring the list\r\n"));
    ASSERT_TRUE(syncCalendar().ok());
    EXPECT_EQ(alarms(),
              (QStringList{"Call Eva|2026-08-05 10:15:00|5", "Mine|2026-08-01 09:00:00|1"}));
    // The scheduler's read sees it.
    expectSchedulerFollows();
    EXPECT_EQ(m_scheduler->watched().size(), 2u);

    putEvent("phone", event("p-1", "Call Eva back", "20260806T111500",
                            "X-PHONE-COLOR:red\r\nDESCRIPTION:Bring the list\r\n"));
    const SyncSummary changed = syncCalendar();
    EXPECT_EQ(changed.received, 1) << changed.text().toStdString();
    EXPECT_EQ(alarms(),
              (QStringList{"Call Eva back|2026-08-06 11:15:00|1", "Mine|2026-08-01 09:00:00|1"}));
    expectSchedulerFollows();

    // A change here keeps what the phone wrote beside it.
    CStatement rename(db, QStringLiteral("UPDATE \"Alarm\" SET \"description\" = 'Bring two' "
                                         "WHERE \"name\" = 'Call Eva back'"));
    rename.execute();
    EXPECT_EQ(syncCalendar().sent, 1);
    const QByteArray text = curl("GET", href).body;
    EXPECT_TRUE(text.contains("X-PHONE-COLOR:red")) << text.toStdString();
    EXPECT_TRUE(text.contains("DESCRIPTION:Bring two")) << text.toStdString();

    ASSERT_EQ(curl("DELETE", href).status, 200);
    CStatement remove(db, QStringLiteral("DELETE FROM \"Alarm\" WHERE \"id\" = ?"));
    remove.bind(1, local);
    remove.execute();
    const SyncSummary deleted = syncCalendar();
    EXPECT_EQ(deleted.deleted, 2) << deleted.text().toStdString();
    EXPECT_TRUE(alarms().isEmpty()) << alarms().join(u',').toStdString();
    EXPECT_TRUE(serverEvents().isEmpty());
    expectSchedulerFollows();
}

TEST_F(CalendarSyncTest, ARuleNoAlarmHoldsStaysOnTheServerAsThePhoneWroteIt) {
    const QString href = putEvent(
        "weekly", event("w-1", "Gym", "20260907T180000", "RRULE:FREQ=WEEKLY;BYDAY=MO,TH\r\n"));
    const SyncSummary first = syncCalendar();
    EXPECT_EQ(first.keptOnServer, 1);
    EXPECT_TRUE(first.text().contains(u"1 repetition kept as the server has it"))
        << first.text().toStdString();
    EXPECT_EQ(alarms(), QStringList{"Gym|2026-09-07 18:00:00|1"});

    CStatement rename(db, QStringLiteral("UPDATE \"Alarm\" SET \"name\" = 'Gym and pool', "
                                         "\"status\" = 4"));
    rename.execute();
    EXPECT_EQ(syncCalendar().sent, 1);
    EXPECT_EQ(serverEvents(),
              QStringList{"Gym and pool|2026-09-07 18:00:00|FREQ=WEEKLY;BYDAY=MO,TH|0|"});
    // The phone's rule did not come back as a change of the alarm either.
    EXPECT_EQ(alarms(), QStringList{"Gym and pool|2026-09-07 18:00:00|4"});
    Q_UNUSED(href);
}

TEST_F(CalendarSyncTest, TheSameFieldChangedOnBothSidesGoesByTheConflictSetting) {
    for (const auto conflict : {SyncAccount::Conflict::Server, SyncAccount::Conflict::Local}) {
        SCOPED_TRACE(int(conflict));
        CStatement clear(db, QStringLiteral("DELETE FROM \"Alarm\""));
        clear.execute();
        {
            CSyncBatch batch(db, account().collectionKey(account().calendar));
            batch.forgetCollection();
            batch.Commit();
        }
        for (const QString& name : QDir(calendarFolder()).entryList({"*.ics"}, QDir::Files))
            curl("DELETE", calendarPath() + name);

        const qint64 id = addAlarm("Review", at(2026, 10, 1, 9, 0));
        ASSERT_TRUE(syncCalendar().ok());
        const QString href = calendarPath() + QDir(calendarFolder()).entryList({"*.ics"}).value(0);
        QByteArray text = curl("GET", href).body;
        // Both sides change the moment, only the server the summary.
        text.replace("DTSTART:20261001T090000", "DTSTART:20261002T100000");
        text.replace("SUMMARY:Review", "SUMMARY:Review the plan");
        putEvent(href.section(u'/', -1).chopped(4), text);
        setAlarm(id, "date", QStringLiteral("2026-10-03 11:00:00"));
        setAlarm(id, "time", QStringLiteral("2026-10-03 11:00:00"));

        const SyncSummary summary = syncCalendar(conflict);
        EXPECT_EQ(summary.conflicts, 1) << summary.text().toStdString();
        const QString moment = conflict == SyncAccount::Conflict::Server
                                   ? QStringLiteral("2026-10-02 10:00:00")
                                   : QStringLiteral("2026-10-03 11:00:00");
        EXPECT_EQ(alarms(), QStringList{"Review the plan|" + moment + "|1"});
        EXPECT_EQ(serverEvents(), QStringList{"Review the plan|" + moment + "||1|"});
    }
}

TEST_F(CalendarSyncTest, TheFirstSyncOfAFilledCalendarDoublesNothing) {
    // One event the export wrote for an alarm, one a phone copied by moment and text, one
    // the phone's own; and one alarm only here.
    const qint64 exported = addAlarm("Exported", at(2026, 11, 1, 9, 0), alarmstatus::EveryYear);
    addAlarm("Copied", at(2026, 11, 2, 10, 0));
    addAlarm("Only here", at(2026, 11, 3, 11, 0));
    CAlarmEntry entry;
    entry.id = exported;
    entry.subject = QStringLiteral("Exported");
    entry.date = QDate(2026, 11, 1);
    entry.time = QTime(9, 0);
    entry.status = alarmstatus::EveryYear;
    putEvent("exported", eventOf(entry, eventUidOf(entry)));
    putEvent("copied", event("c-1", "Copied", "20261102T100000"));
    putEvent("phone", event("p-1", "Only there", "20261104T120000"));
    // A task stands for no alarm: it stays as it is.
    const QString task = putEvent("task",
                                  "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\n"
                                  "BEGIN:VTODO\r\nUID:t-1\r\nDTSTAMP:20260101T000000Z\r\n"
                                  "SUMMARY:Buy milk\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");

    const SyncSummary summary = syncCalendar();
    ASSERT_TRUE(summary.ok()) << summary.text().toStdString();
    EXPECT_EQ(alarms(),
              (QStringList{"Copied|2026-11-02 10:00:00|1", "Exported|2026-11-01 09:00:00|5",
                           "Only here|2026-11-03 11:00:00|1", "Only there|2026-11-04 12:00:00|1"}));
    EXPECT_EQ(serverEvents().size(), 4) << serverEvents().join(u'\n').toStdString();
    expectQuiet();
    CStatement rename(db, QStringLiteral("UPDATE \"Alarm\" SET \"name\" = 'Only here!' "
                                         "WHERE \"name\" = 'Only here'"));
    rename.execute();
    EXPECT_EQ(syncCalendar().sent, 1);
    EXPECT_EQ(alarms().size(), 4);
    EXPECT_TRUE(curl("GET", task).body.contains("SUMMARY:Buy milk"));
}

}  // namespace
