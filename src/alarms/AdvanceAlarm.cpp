#include "alarms/AdvanceAlarm.h"

#include <algorithm>

#include "alarms/AlarmStatus.h"
#include "data/RecordSet.h"
#include "data/StoredDateTime.h"
#include "platform/Clock.h"

namespace {

// The first of the given month of `from` plus `months`, on the same day where the month has
// it, else on its last day; at midnight.
QDateTime sameDayMonthsLater(const QDate& from, int months) {
    const QDate first = QDate(from.year(), from.month(), 1).addMonths(months);
    const int day = std::min(from.day(), first.daysInMonth());
    return wallClock(QDate(first.year(), first.month(), day), QTime(0, 0));
}

}  // namespace

AlarmAdvance NextAlarmState(int status, const QDateTime& date, const QDateTime& time,
                            const QDateTime& now) {
    switch (status) {
        case alarmstatus::Done:
        case alarmstatus::Disabled:
            return {status, date};
        case alarmstatus::EveryDay: {
            if (!date.isValid())
                return {alarmstatus::Done, date};
            // The step is tested on the moment the scheduler watches, so that the alarm never
            // falls due again at once, even when `date` holds another time of day than `time`.
            const QTime timeOfDay = time.isValid() ? time.time() : date.time();
            const qint64 behind = wallClock(date.date(), timeOfDay).daysTo(now);
            qint64 days = std::max<qint64>(1, behind);
            if (wallClock(date.date().addDays(days), timeOfDay) < now)
                ++days;
            return {status, date.addDays(days)};
        }
        case alarmstatus::EveryMonth:
            if (!date.isValid())
                return {alarmstatus::Done, date};
            return {status, sameDayMonthsLater(date.date(), 1)};
        case alarmstatus::EveryYear:
            if (!date.isValid())
                return {alarmstatus::Done, date};
            return {status, sameDayMonthsLater(date.date(), 12)};
        default:
            // "Pending", and codes that name no repetition: notified once.
            return {alarmstatus::Done, date};
    }
}

void AdvanceAlarm(CRecordSet& alarm) {
    const AlarmAdvance next = NextAlarmState(
        alarm.longValue(QStringLiteral("status")), alarm.dateTime(QStringLiteral("date")),
        alarm.dateTime(QStringLiteral("time")), wallClockNow());
    alarm.setValue(QStringLiteral("status"), next.status);
    alarm.setValue(QStringLiteral("date"), next.date);
}
