#pragma once

#include <QDateTime>

class CRecordSet;

// An alarm's status and `date` after a notification.
struct AlarmAdvance {
    int status;
    QDateTime date;
};

// The next state of a notified alarm whose moment is the day of `date` at the time of day of
// `time`. "Pending" and any code without a repetition become "Done"; "Every day" steps whole
// days until the moment is no longer earlier than `now`; "Every month" and "Every year" make
// one step to 00:00:00 of that day, the last day of the target month when it lacks the day.
// "Done" and "Disabled" stay as they are.
AlarmAdvance NextAlarmState(int status, const QDateTime& date, const QDateTime& time,
                            const QDateTime& now);

// Applies NextAlarmState, at the clock's current time, to the alarm record being edited;
// the caller saves it. `time` is never changed.
void AdvanceAlarm(CRecordSet& alarm);
