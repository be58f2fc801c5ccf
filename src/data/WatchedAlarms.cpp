#include "data/WatchedAlarms.h"

#include <QStringList>

#include "data/Database.h"
#include "data/Statement.h"

namespace {

// An alarm without a status is not watched either: it compares as unknown. On the team's
// server each user watches the alarms they made.
QString watchedSql(const CDatabase& db, std::span<const int> unwatched) {
    QStringList conditions{QStringLiteral("date IS NOT NULL"), QStringLiteral("time IS NOT NULL")};
    if (db.isServer())
        conditions << QStringLiteral("created_by = current_user");
    for (int status : unwatched)
        conditions << QStringLiteral("status <> %1").arg(status);
    return QStringLiteral("SELECT id, date, time FROM Alarm WHERE ") +
           conditions.join(QStringLiteral(" AND "));
}

void readInto(CStatement& rows, std::vector<WatchedAlarmRow>& alarms) {
    while (rows.step())
        alarms.push_back({static_cast<qint32>(rows.int64(0)), rows.text(1), rows.text(2)});
}

}  // namespace

std::vector<WatchedAlarmRow> readWatchedAlarms(CDatabase& db, std::span<const int> unwatched) {
    std::vector<WatchedAlarmRow> alarms;
    CStatement rows(db, watchedSql(db, unwatched));
    readInto(rows, alarms);
    return alarms;
}

std::vector<WatchedAlarmRow> readWatchedAlarms(CDatabase& db, std::span<const int> unwatched,
                                               std::span<const qint32> ids) {
    std::vector<WatchedAlarmRow> alarms;
    CStatement row(db, watchedSql(db, unwatched) + QStringLiteral(" AND id = ?1"));
    for (qint32 id : ids) {
        row.bind(1, id);
        readInto(row, alarms);
        row.reset();
    }
    return alarms;
}
