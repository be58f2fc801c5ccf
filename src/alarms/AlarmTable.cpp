#include "alarms/AlarmTable.h"

#include <limits>

#include "alarms/AlarmStatus.h"
#include "data/AlarmRcs.h"

std::optional<qint32> AlarmMoment(const QDateTime& date, const QDateTime& time) {
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QTime t = time.time();
    const QDateTime moment(date.date(), QTime(t.hour(), t.minute(), t.second()));
    if (!moment.isValid())
        return std::nullopt;
    const qint64 seconds = moment.toSecsSinceEpoch();
    if (seconds < 0 || seconds > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(seconds);
}

AlarmTable LoadAlarmTable(CDatabase& db) {
    AlarmTable table;
    CAlarmRcs rs(&db);
    rs.m_strFilter = QStringLiteral("status <> %1 and status <> %2")
                         .arg(alarmstatus::Done)
                         .arg(alarmstatus::Disabled);
    rs.Open();
    table.reserve(static_cast<std::size_t>(rs.GetRecordCount()));
    for (; !rs.IsEOF(); rs.MoveNext()) {
        const std::optional<qint32> when =
            AlarmMoment(rs.dateTime(QStringLiteral("date")), rs.dateTime(QStringLiteral("time")));
        if (when)
            table.push_back({rs.longValue(QStringLiteral("id")), *when, 0});
    }
    rs.Close();
    return table;
}
