#pragma once

#include <QByteArray>
#include <QList>

#include "data/CalendarAlarms.h"

// An iCalendar text with one VEVENT per alarm: the moment as floating local time, the
// repetition as RRULE, and a VALARM that reminds at the moment itself.
QByteArray calendarOf(const QList<CAlarmEntry>& alarms);
