#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

class CDatabase;

// One alarm as the calendar export sees it.
struct CAlarmEntry {
    qint64 id = 0;
    QString subject;
    QDate date;
    QTime time;
    int status = 1;  // 1 Pending, 3 every day, 4 every month, 5 every year
    QString person;
    QString firm;
    QString comment;
};

// The alarms still watched (pending and the three repetitions), soonest first. Done and
// disabled alarms are left out.
QList<CAlarmEntry> loadWatchedAlarms(CDatabase& db);

// An iCalendar text with one VEVENT per alarm: the moment as floating local time, the
// repetition as RRULE, and a VALARM that reminds at the moment itself.
QByteArray calendarOf(const QList<CAlarmEntry>& alarms);
