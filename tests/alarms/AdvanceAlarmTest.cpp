#include <gtest/gtest.h>

#include <QDateTime>
#include <limits>

#include "alarms/AdvanceAlarm.h"
#include "alarms/AlarmStatus.h"
#include "alarms/AlarmTable.h"
#include "data/StoredDateTime.h"
#include "support/ScopedTimeZone.h"

namespace {

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return wallClock(QDate(year, month, day), QTime(hour, minute, second));
}

// The next state of an alarm whose two columns both hold its moment, as the form saves it.
AlarmAdvance next(int status, const QDateTime& moment, const QDateTime& now) {
    return NextAlarmState(status, moment, moment, now);
}

}  // namespace

TEST(AdvanceAlarm, PendingBecomesDoneAndKeepsItsDate) {
    const AlarmAdvance a =
        next(alarmstatus::Pending, at(2026, 3, 1, 9, 30), at(2026, 3, 1, 9, 30, 5));
    EXPECT_EQ(a.status, alarmstatus::Done);
    EXPECT_EQ(a.date, at(2026, 3, 1, 9, 30));
}

TEST(AdvanceAlarm, DoneAndDisabledStayAsTheyAre) {
    for (int status : {alarmstatus::Done, alarmstatus::Disabled}) {
        const AlarmAdvance a = next(status, at(2026, 3, 1), at(2026, 5, 1));
        EXPECT_EQ(a.status, status);
        EXPECT_EQ(a.date, at(2026, 3, 1));
    }
}

TEST(AdvanceAlarm, CodesWithoutRepetitionAreNotifiedOnceThenDone) {
    for (int status : {6, 42, -1}) {
        const AlarmAdvance a = next(status, at(2026, 3, 1, 8), at(2026, 3, 1, 8, 0, 1));
        EXPECT_EQ(a.status, alarmstatus::Done) << status;
        EXPECT_EQ(a.date, at(2026, 3, 1, 8));
    }
}

TEST(AdvanceAlarm, EveryDayStepsToTheFirstLaterDayAtItsTimeOfDay) {
    // Notified a second after its moment: tomorrow at the same time.
    AlarmAdvance a = next(alarmstatus::EveryDay, at(2026, 3, 1, 9, 30), at(2026, 3, 1, 9, 30, 1));
    EXPECT_EQ(a.status, alarmstatus::EveryDay);
    EXPECT_EQ(a.date, at(2026, 3, 2, 9, 30));
    // Overdue by several days, notified after its time of day: the day after today.
    a = next(alarmstatus::EveryDay, at(2026, 3, 1, 9, 30), at(2026, 3, 5, 14, 0));
    EXPECT_EQ(a.date, at(2026, 3, 6, 9, 30));
    // Notified before its time of day: today.
    a = next(alarmstatus::EveryDay, at(2026, 3, 1, 9, 30), at(2026, 3, 5, 8, 0));
    EXPECT_EQ(a.date, at(2026, 3, 5, 9, 30));
    // Over the year's end.
    a = next(alarmstatus::EveryDay, at(2026, 12, 31, 23, 0), at(2026, 12, 31, 23, 0, 1));
    EXPECT_EQ(a.date, at(2027, 1, 1, 23, 0));
}

TEST(AdvanceAlarm, EveryDayStepsOnTheWatchedMomentWhenTheColumnsDiffer) {
    // `date` says 23:00, `time` says 06:00: the watched moment is 06:00, so stepping by
    // `date` alone would leave it due again at once.
    const QDateTime date = at(2026, 3, 1, 23, 0);
    const QDateTime time = at(2026, 3, 1, 6, 0);
    const QDateTime now = at(2026, 3, 4, 10, 0);
    const AlarmAdvance a = NextAlarmState(alarmstatus::EveryDay, date, time, now);
    EXPECT_EQ(a.date, at(2026, 3, 5, 23, 0));
    const QDateTime watched(a.date.date(), time.time());
    EXPECT_GT(watched, now);
}

TEST(AdvanceAlarm, EveryMonthMakesOneStepToMidnight) {
    AlarmAdvance a = next(alarmstatus::EveryMonth, at(2026, 3, 15, 10), at(2026, 3, 15, 10, 0, 1));
    EXPECT_EQ(a.status, alarmstatus::EveryMonth);
    EXPECT_EQ(a.date, at(2026, 4, 15));
    // December goes to January of the next year.
    a = next(alarmstatus::EveryMonth, at(2026, 12, 10, 10), at(2026, 12, 10, 11));
    EXPECT_EQ(a.date, at(2027, 1, 10));
    // Overdue by three months: still one step.
    a = next(alarmstatus::EveryMonth, at(2026, 1, 10, 10), at(2026, 4, 20));
    EXPECT_EQ(a.date, at(2026, 2, 10));
}

TEST(AdvanceAlarm, EveryMonthFromADayTheNextMonthLacksGoesToItsLastDay) {
    EXPECT_EQ(next(alarmstatus::EveryMonth, at(2026, 1, 31, 9), at(2026, 1, 31, 10)).date,
              at(2026, 2, 28));
    EXPECT_EQ(next(alarmstatus::EveryMonth, at(2028, 1, 29, 9), at(2028, 1, 29, 10)).date,
              at(2028, 2, 29));
    EXPECT_EQ(next(alarmstatus::EveryMonth, at(2026, 3, 31, 9), at(2026, 3, 31, 10)).date,
              at(2026, 4, 30));
    // The month after a shortened one goes back to its own day only from that day.
    EXPECT_EQ(next(alarmstatus::EveryMonth, at(2026, 2, 28), at(2026, 2, 28, 1)).date,
              at(2026, 3, 28));
}

TEST(AdvanceAlarm, EveryYearMakesOneStepAndLeapDayGoesTo28February) {
    AlarmAdvance a = next(alarmstatus::EveryYear, at(2026, 6, 1, 12), at(2026, 6, 1, 13));
    EXPECT_EQ(a.status, alarmstatus::EveryYear);
    EXPECT_EQ(a.date, at(2027, 6, 1));
    a = next(alarmstatus::EveryYear, at(2028, 2, 29, 8), at(2028, 2, 29, 9));
    EXPECT_EQ(a.date, at(2029, 2, 28));
    EXPECT_GT(a.date, at(2028, 2, 29, 8));
}

TEST(AlarmMoment, TakesTheDayFromDateAndTheTimeOfDayFromTime) {
    const std::optional<qint32> when =
        AlarmMoment(at(2026, 4, 1, 0, 0), QDateTime(QDate(1899, 12, 30), QTime(14, 15, 16)));
    ASSERT_TRUE(when.has_value());
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(*when, Qt::UTC), at(2026, 4, 1, 14, 15, 16));
}

TEST(AlarmMoment, NoMomentWithoutBothPartsOrOutside32BitSeconds) {
    EXPECT_FALSE(AlarmMoment(QDateTime(), at(2026, 1, 1, 9)).has_value());
    EXPECT_FALSE(AlarmMoment(at(2026, 1, 1), QDateTime()).has_value());
    EXPECT_FALSE(AlarmMoment(at(2040, 1, 1), at(2040, 1, 1, 9)).has_value());
    EXPECT_FALSE(AlarmMoment(at(1960, 1, 1), at(1960, 1, 1, 9)).has_value());
    const QDateTime last =
        QDateTime::fromSecsSinceEpoch(std::numeric_limits<qint32>::max(), Qt::UTC);
    EXPECT_TRUE(AlarmMoment(last, last).has_value());
}

TEST(AlarmMoment, MomentsOnDaylightSavingNightsKeepTheirWallClockOrder) {
    const ScopedTimeZone zone("Europe/Berlin");
    // 02:30 does not exist in local time that night; the alarm still has its moment, after
    // 02:00 and before 03:00 on the wall clock.
    const std::optional<qint32> skipped =
        AlarmMoment(at(2026, 3, 29, 2, 30), at(2026, 3, 29, 2, 30));
    ASSERT_TRUE(skipped.has_value());
    EXPECT_LT(*AlarmMoment(at(2026, 3, 29, 2), at(2026, 3, 29, 2)), *skipped);
    EXPECT_LT(*skipped, *AlarmMoment(at(2026, 3, 29, 3), at(2026, 3, 29, 3)));
    // Every day from there steps to 02:30 the next day, not to 03:30.
    const AlarmAdvance a =
        next(alarmstatus::EveryDay, at(2026, 3, 29, 2, 30), at(2026, 3, 29, 3, 0, 1));
    EXPECT_EQ(toStoredDateTime(a.date), "2026-03-30 02:30:00");
}
