#include "alarms/SchedulerUpdate.h"

#include <algorithm>
#include <vector>

#include "alarms/AlarmScheduler.h"
#include "alarms/AlarmTable.h"
#include "data/ChangeNotifier.h"

bool UpdateSchedulerAfter(const DataChange& change, CAlarmScheduler& scheduler, CDatabase& db) {
    if (change.everything || !scheduler.isRunning())
        return false;
    const TableChange* alarms = change.table(u"Alarm");
    if (!alarms)
        return true;
    std::vector<qint32> changed = alarms->inserted;
    changed.insert(changed.end(), alarms->updated.begin(), alarms->updated.end());
    const AlarmTable entries = LoadAlarmEntries(db, changed);
    std::vector<qint32> gone = alarms->deleted;
    for (qint32 id : changed) {
        if (std::none_of(entries.begin(), entries.end(),
                         [id](const AlarmEntry& entry) { return entry.id == id; }))
            gone.push_back(id);
    }
    return scheduler.Update(entries, gone);
}
