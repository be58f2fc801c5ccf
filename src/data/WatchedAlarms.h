#pragma once

#include <QString>
#include <span>
#include <vector>

class CDatabase;

// An alarm with a day and a time of day, as stored.
struct WatchedAlarmRow {
    qint32 id;
    QString date;
    QString time;
};

// The alarms with a day and a time of day whose status is none of `unwatched`, in the table's
// order. Throws CDbException.
std::vector<WatchedAlarmRow> readWatchedAlarms(CDatabase& db, std::span<const int> unwatched);
// The same for the alarms with these ids only; an id that does not qualify is left out.
std::vector<WatchedAlarmRow> readWatchedAlarms(CDatabase& db, std::span<const int> unwatched,
                                               std::span<const qint32> ids);
