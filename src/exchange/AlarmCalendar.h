#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

#include "data/CalendarAlarms.h"

// An iCalendar text with one VEVENT per alarm: the moment as floating local time, the
// repetition as RRULE, and a VALARM that reminds at the moment itself.
QByteArray calendarOf(const QList<CAlarmEntry>& alarms);

// The UID of the alarm's event: the same in every export of the same file.
QByteArray eventUidOf(const CAlarmEntry& alarm);
// A calendar of the alarm's event alone, with the given UID.
QByteArray eventOf(const CAlarmEntry& alarm, const QByteArray& uid);

// What an event gives back of an alarm: its text, moment and repetition.
struct EventAlarm {
    CAlarmEntry alarm;  // without id; status 1 where the event does not repeat
    QString uid;
    // False when the event repeats by a rule no alarm status holds (every week, every
    // second day, a count, ...): the status then says nothing.
    bool ruleHeld = true;
};
// The alarm of the first event of a calendar text; nothing where it has no event with a start.
std::optional<EventAlarm> alarmOfEvent(const QByteArray& calendar);

// The parts of an event that an alarm's values rewrite.
enum EventPart { EventSummary = 1, EventDescription = 2, EventMoment = 4, EventRule = 8 };
// `calendar` with the given parts of its first event taken from the alarm; every other
// property and component stays. A moved event keeps its length.
QByteArray patchedEvent(const QByteArray& calendar, const CAlarmEntry& alarm, int parts);
