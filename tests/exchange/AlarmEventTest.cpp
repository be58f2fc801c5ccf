#include <gtest/gtest.h>

#include <QDateTime>

#include "exchange/AlarmCalendar.h"

namespace {

QByteArray calendar(const QByteArray& eventLines, const QByteArray& more = {}) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\nBEGIN:VEVENT\r\n"
           "UID:e-1\r\nDTSTAMP:20260101T000000Z\r\n" +
           eventLines + "END:VEVENT\r\n" + more + "END:VCALENDAR\r\n";
}

TEST(AlarmEvent, AnAlarmReadsBackFromItsEvent) {
    CAlarmEntry alarm;
    alarm.id = 7;
    alarm.subject = QStringLiteral("Pay rent; then call");
    alarm.date = QDate(2026, 3, 31);
    alarm.time = QTime(7, 45, 10);
    alarm.status = 4;
    alarm.comment = QStringLiteral("Two lines\nof comment");
    alarm.person = QStringLiteral("Berg Lena");
    alarm.firm = QStringLiteral("Acme, Ltd.");
    const std::optional<EventAlarm> read = alarmOfEvent(eventOf(alarm, "u-7"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->uid, u"u-7");
    EXPECT_TRUE(read->ruleHeld);
    EXPECT_EQ(read->alarm.subject, alarm.subject);
    EXPECT_EQ(read->alarm.date, alarm.date);
    EXPECT_EQ(read->alarm.time, alarm.time);
    EXPECT_EQ(read->alarm.status, 4);
    EXPECT_EQ(read->alarm.comment, alarm.comment);
    EXPECT_EQ(read->alarm.person, alarm.person);
    EXPECT_EQ(read->alarm.firm, alarm.firm);
}

TEST(AlarmEvent, OtherProgramsEventsGiveWhatAnAlarmCanHold) {
    // A moment in UTC is shown in local time.
    const std::optional<EventAlarm> utc =
        alarmOfEvent(calendar("DTSTART:20260601T120000Z\r\nSUMMARY:Call\r\n"));
    ASSERT_TRUE(utc);
    const QDateTime local = QDateTime(QDate(2026, 6, 1), QTime(12, 0), Qt::UTC).toLocalTime();
    EXPECT_EQ(utc->alarm.date, local.date());
    EXPECT_EQ(utc->alarm.time, local.time());
    EXPECT_EQ(utc->alarm.status, 1);

    // A whole day starts at midnight.
    const std::optional<EventAlarm> day =
        alarmOfEvent(calendar("DTSTART;VALUE=DATE:20260704\r\nRRULE:FREQ=YEARLY\r\n"));
    ASSERT_TRUE(day);
    EXPECT_EQ(day->alarm.time, QTime(0, 0));
    EXPECT_EQ(day->alarm.status, 5);
    EXPECT_TRUE(day->ruleHeld);

    for (const QByteArray rule :
         {"RRULE:FREQ=WEEKLY", "RRULE:FREQ=DAILY;INTERVAL=2", "RRULE:FREQ=DAILY;COUNT=3",
          "RRULE:FREQ=MONTHLY;BYDAY=1MO", "RRULE:FREQ=DAILY\r\nRRULE:FREQ=YEARLY"}) {
        const std::optional<EventAlarm> odd =
            alarmOfEvent(calendar("DTSTART:20260601T090000\r\n" + rule + "\r\n"));
        ASSERT_TRUE(odd) << rule.constData();
        EXPECT_FALSE(odd->ruleHeld) << rule.constData();
        EXPECT_EQ(odd->alarm.status, 1) << rule.constData();
    }

    // A task is no alarm.
    EXPECT_FALSE(
        alarmOfEvent("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:t\r\n"
                     "SUMMARY:Buy milk\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"));
}

TEST(AlarmEvent, APatchedEventChangesOnlyThePartsAskedFor) {
    const QByteArray original = calendar(
        "DTSTART:20260601T090000\r\nDTEND:20260601T103000\r\nSUMMARY:Old\r\n"
        "RRULE:FREQ=WEEKLY;BYDAY=MO\r\nX-PHONE-COLOR:red\r\n",
        "BEGIN:VEVENT\r\nUID:e-1\r\nRECURRENCE-ID:20260608T090000\r\n"
        "DTSTART:20260608T100000\r\nSUMMARY:Moved once\r\nEND:VEVENT\r\n");
    CAlarmEntry alarm;
    alarm.subject = QStringLiteral("New");
    alarm.date = QDate(2026, 6, 2);
    alarm.time = QTime(9, 15);
    alarm.status = 3;
    const QByteArray patched = patchedEvent(original, alarm, EventSummary | EventMoment);
    EXPECT_TRUE(patched.contains("SUMMARY:New")) << patched.constData();
    EXPECT_TRUE(patched.contains("DTSTART:20260602T091500")) << patched.constData();
    // The length of the event stays.
    EXPECT_TRUE(patched.contains("DTEND:20260602T104500")) << patched.constData();
    EXPECT_TRUE(patched.contains("RRULE:FREQ=WEEKLY;BYDAY=MO")) << patched.constData();
    EXPECT_TRUE(patched.contains("X-PHONE-COLOR:red")) << patched.constData();
    EXPECT_TRUE(patched.contains("SUMMARY:Moved once")) << patched.constData();
    EXPECT_FALSE(patched.contains("SUMMARY:Old")) << patched.constData();

    const QByteArray ruled = patchedEvent(original, alarm, EventRule);
    EXPECT_TRUE(ruled.contains("RRULE:FREQ=DAILY")) << ruled.constData();
    EXPECT_FALSE(ruled.contains("WEEKLY")) << ruled.constData();
}

}  // namespace
