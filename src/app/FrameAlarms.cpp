#include "app/FrameAlarms.h"

#include "alarms/AlarmScheduler.h"
#include "alarms/AlarmTable.h"
#include "alarms/SchedulerUpdate.h"
#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/ErrorReport.h"
#include "platform/Prompter.h"
#include "platform/WaitCursor.h"

CFrameAlarms::CFrameAlarms(std::function<void(qint32)> onDue, QObject* parent)
    : QObject(parent), m_scheduler(std::make_unique<CAlarmScheduler>(this, std::move(onDue))) {
    connect(&changeNotifier(), &CChangeNotifier::changed, this, &CFrameAlarms::onChanged);
}

CFrameAlarms::~CFrameAlarms() {
    Stop();
}

void CFrameAlarms::onChanged(const DataChange& change) {
    if (!change.touches(u"Alarm"))
        return;
    bool updated = false;
    reportDbErrors([&] {
        updated = sharedDatabase().IsOpen() &&
                  UpdateSchedulerAfter(change, *m_scheduler, sharedDatabase());
    });
    if (!updated)
        Restart();
}

void CFrameAlarms::Restart() {
    WaitCursor wait;
    Stop();
    if (!sharedDatabase().IsOpen())
        return;
    AlarmTable table;
    reportDbErrors([&] { table = LoadAlarmTable(sharedDatabase()); });
    if (!m_scheduler->Start(std::move(table)))
        messageBox(QStringLiteral("Error, couldn't start the alarm thread"));
}

void CFrameAlarms::Stop() {
    m_scheduler->Stop();
}
