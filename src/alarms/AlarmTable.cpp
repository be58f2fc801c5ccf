#include "alarms/AlarmTable.h"

#include <array>
#include <limits>

#include "alarms/AlarmStatus.h"
#include "data/StoredDateTime.h"
#include "data/WatchedAlarms.h"

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

constexpr std::array<int, 2> kUnwatched{alarmstatus::Done, alarmstatus::Disabled};

AlarmTable entriesOf(const std::vector<WatchedAlarmRow>& rows) {
    AlarmTable table;
    table.reserve(rows.size());
    for (const WatchedAlarmRow& row : rows) {
        if (const std::optional<qint32> when =
                momentOf(storedDay(row.date), storedTimeOfDay(row.time)))
            table.push_back({row.id, *when, 0});
    }
    return table;
}

}  // namespace

std::optional<qint32> AlarmMoment(const QDateTime& date, const QDateTime& time) {
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return momentOf(date.date(), time.time());
}

AlarmTable LoadAlarmTable(CDatabase& db) {
    return entriesOf(readWatchedAlarms(db, kUnwatched));
}

AlarmTable LoadAlarmEntries(CDatabase& db, std::span<const qint32> ids) {
    return entriesOf(readWatchedAlarms(db, kUnwatched, ids));
}
