#pragma once

#include <QString>
#include <optional>

class CDatabase;

// What the alarm notice shows of an alarm it took.
struct TakenAlarm {
    QString moment;  // "yyyy/MM/dd HH:mm:ss"
    QString firm, person, subject, comment;
};

// Takes the alarm `id` that the scheduler found due: reads it, advances it to its next state
// and saves it, and gives what the notice shows. Nothing when the alarm is gone, and, on the
// team's server, when another client of the same user took it first: there the alarm must
// still be due when it is read, and the save is refused when another client saved the alarm
// since (its row version), so that one notice is shown for each moment. Throws CDbException.
std::optional<TakenAlarm> TakeDueAlarm(CDatabase& db, qint32 id);
