#include "alarms/AlarmTable.h"

#include <limits>

#include "alarms/AlarmStatus.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"

namespace {

// The wall-clock seconds since 1970 of a day and time of day: the clock on the wall, read
// as if it were UTC. Compared with the wall-clock now, every stored moment falls due when the
// wall clock passes it, also one in the hour that a daylight-saving night skips.
std::optional<qint32> momentOf(const QDate& day, const QTime& timeOfDay) {
    if (!day.isValid() || !timeOfDay.isValid())
        return std::nullopt;
    const QTime whole(timeOfDay.hour(), timeOfDay.minute(), timeOfDay.second());
    const qint64 seconds = wallClock(day, whole).toSecsSinceEpoch();
    if (seconds < 0 || seconds > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(seconds);
}

// The number written by `count` ASCII digits at `from`, or -1.
int digits(QStringView text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The day of a stored moment ("YYYY-MM-DD", optionally followed by the time of day).
QDate storedDay(QStringView text) {
    if (text.size() < 10 || text[4] != u'-' || text[7] != u'-')
        return {};
    return QDate(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
}

// The time of day of a stored moment ("YYYY-MM-DD HH:MM:SS"); midnight for a date alone.
QTime storedTimeOfDay(QStringView text) {
    if (text.size() == 10)
        return storedDay(text).isValid() ? QTime(0, 0) : QTime();
    if (text.size() != 19 || text[10] != u' ' || text[13] != u':' || text[16] != u':')
        return {};
    return QTime(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2));
}

}  // namespace

std::optional<qint32> AlarmMoment(const QDateTime& date, const QDateTime& time) {
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return momentOf(date.date(), time.time());
}

AlarmTable LoadAlarmTable(CDatabase& db) {
    AlarmTable table;
    // One statement over the three columns the scheduler needs, read as stored.
    CStatement rows(db, toSqlite(QStringLiteral("SELECT [id], [date], [time] FROM [Alarm] "
                                                "WHERE [status] <> %1 AND [status] <> %2")
                                     .arg(alarmstatus::Done)
                                     .arg(alarmstatus::Disabled)));
    while (rows.step()) {
        if (rows.isNull(1) || rows.isNull(2))
            continue;
        const std::optional<qint32> when =
            momentOf(storedDay(rows.text(1)), storedTimeOfDay(rows.text(2)));
        if (when)
            table.push_back({static_cast<qint32>(rows.int64(0)), *when, 0});
    }
    return table;
}
