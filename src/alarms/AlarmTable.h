#pragma once

#include <QDateTime>
#include <QtGlobal>
#include <optional>
#include <span>
#include <vector>

class CDatabase;

// One watched alarm: its id, its moment in seconds since 1970-01-01 00:00:00 UTC, and
// whether a notification was sent for it.
struct AlarmEntry {
    qint32 id;
    qint32 when;
    qint32 notified;
};

// The watched alarms, in the order the database returned them.
using AlarmTable = std::vector<AlarmEntry>;

// The moment of an alarm: the day of `date` at the time of day of `time`, local time. None
// when either is missing or the moment lies outside what 32-bit seconds since 1970 hold.
std::optional<qint32> AlarmMoment(const QDateTime& date, const QDateTime& time);

// Reads the watched alarms (status neither "Done" nor "Disabled") from the database. Alarms
// without a moment are left out: they can never fall due.
AlarmTable LoadAlarmTable(CDatabase& db);
// The same for the alarms with these ids only: those still watched, with their moments now.
AlarmTable LoadAlarmEntries(CDatabase& db, std::span<const qint32> ids);
