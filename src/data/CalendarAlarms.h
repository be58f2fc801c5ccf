#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

class CDatabase;

// One alarm as a calendar sees it.
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

// The alarms a calendar shows (pending and the three repetitions), soonest first. Done and
// disabled alarms are left out, and so is an alarm without a readable date.
QList<CAlarmEntry> loadCalendarAlarms(CDatabase& db);
// Every alarm with a readable date, whatever its status, in one read; only those of `ids`
// when given.
QList<CAlarmEntry> loadAllAlarms(CDatabase& db, const QList<qint64>& ids = {});
// The alarms a sync of the calendar `collection` (its key in the sync state) compares: every
// alarm of a contacts file; on the team's server the user's own, as the user's scheduler
// watches them, and those the collection already holds, so that a colleague's alarm there is
// not taken for deleted.
QList<CAlarmEntry> loadSyncedAlarms(CDatabase& db, const QString& collection);
