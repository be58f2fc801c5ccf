#include "data/CalendarAlarms.h"

#include <QDateTime>

#include "data/Database.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"

namespace {

const QString kAlarmColumns = QStringLiteral(
    "SELECT \"id\", \"name\", \"date\", \"time\", \"status\", \"person\", \"firm\", "
    "\"description\" FROM \"Alarm\" ");

void readAlarms(CStatement& statement, QList<CAlarmEntry>& alarms) {
    while (statement.step()) {
        CAlarmEntry alarm;
        alarm.id = statement.int64(0);
        alarm.subject = statement.text(1);
        // Stored moments are wall-clock values: only their date and time count.
        alarm.date = fromStoredDateTime(statement.text(2)).date();
        const QDateTime time = fromStoredDateTime(statement.text(3));
        alarm.time = time.isValid() ? time.time() : QTime(0, 0);
        alarm.status = int(statement.int64(4));
        alarm.person = statement.text(5);
        alarm.firm = statement.text(6);
        alarm.comment = statement.text(7);
        if (alarm.date.isValid())
            alarms << alarm;
    }
}

}  // namespace

QList<CAlarmEntry> loadCalendarAlarms(CDatabase& db) {
    CStatement statement(db, kAlarmColumns + QStringLiteral("WHERE \"status\" IN (1, 3, 4, 5) "
                                                            "ORDER BY \"date\", \"time\""));
    QList<CAlarmEntry> alarms;
    readAlarms(statement, alarms);
    return alarms;
}

QList<CAlarmEntry> loadAllAlarms(CDatabase& db, const QList<qint64>& ids) {
    QList<CAlarmEntry> alarms;
    if (ids.isEmpty()) {
        CStatement statement(db, kAlarmColumns);
        readAlarms(statement, alarms);
        return alarms;
    }
    CStatement statement(db, kAlarmColumns + QStringLiteral("WHERE \"id\" = ?"));
    for (qint64 id : ids) {
        statement.bind(1, id);
        readAlarms(statement, alarms);
        statement.reset();
    }
    return alarms;
}

QList<CAlarmEntry> loadSyncedAlarms(CDatabase& db, const QString& collection) {
    if (!db.isServer())
        return loadAllAlarms(db);
    CStatement statement(
        db, kAlarmColumns + QStringLiteral("WHERE \"created_by\" = current_user OR \"id\" IN "
                                           "(SELECT \"record\" FROM \"SyncItem\" WHERE "
                                           "\"collection\" = ? AND \"kind\" = 2)"));
    statement.bind(1, collection);
    QList<CAlarmEntry> alarms;
    readAlarms(statement, alarms);
    return alarms;
}
