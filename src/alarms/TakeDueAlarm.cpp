#include "alarms/TakeDueAlarm.h"

#include "alarms/AdvanceAlarm.h"
#include "alarms/AlarmStatus.h"
#include "data/AlarmRcs.h"
#include "data/Database.h"
#include "data/StoredDateTime.h"

namespace {

bool isStillDue(const CRecordSet& alarm) {
    const int status = alarm.longValue(QStringLiteral("status"));
    if (status == alarmstatus::Done || status == alarmstatus::Disabled)
        return false;
    const QDateTime date = alarm.dateTime(QStringLiteral("date"));
    const QDateTime time = alarm.dateTime(QStringLiteral("time"));
    if (!date.isValid() || !time.isValid())
        return false;
    return wallClock(date.date(), time.time()) <= wallClockNow();
}

}  // namespace

std::optional<TakenAlarm> TakeDueAlarm(CDatabase& db, qint32 id) {
    CAlarmRcs alarm(&db);
    alarm.m_strFilter = QStringLiteral("id = %1").arg(id);
    alarm.Open();
    if (alarm.IsEOF())
        return std::nullopt;
    const bool shared = db.isServer();
    if (shared && !isStillDue(alarm))
        return std::nullopt;
    TakenAlarm taken{
        QStringLiteral("%1 %2").arg(
            alarm.dateTime(QStringLiteral("date")).toString(QStringLiteral("yyyy/MM/dd")),
            alarm.dateTime(QStringLiteral("time")).toString(QStringLiteral("HH:mm:ss"))),
        alarm.text(QStringLiteral("firm")),
        alarm.text(QStringLiteral("person")),
        alarm.text(QStringLiteral("name")),
        alarm.text(QStringLiteral("description")),
    };
    alarm.Edit();
    AdvanceAlarm(alarm);
    try {
        alarm.Update();
    } catch (const CDbException& error) {
        if (shared && error.code() == CRecordSet::kChangedElsewhere)
            return std::nullopt;
        throw;
    }
    return taken;
}
