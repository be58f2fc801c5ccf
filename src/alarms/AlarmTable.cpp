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
