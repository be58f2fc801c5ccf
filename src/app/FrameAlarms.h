#pragma once

#include <QObject>
#include <functional>
#include <memory>

class CAlarmScheduler;
struct DataChange;

// The main frame's alarm scheduler: started over the watched alarms once the file is open,
// handed the alarms each announced change touched, and restarted when a change cannot say
// which. The scanner's due alarms are handed to `onDue` on this object's thread.
class CFrameAlarms : public QObject {
    Q_OBJECT
public:
    explicit CFrameAlarms(std::function<void(qint32 id)> onDue, QObject* parent = nullptr);
    ~CFrameAlarms() override;

    // Stops the running scanner, rebuilds the watched alarms from the shared connection and
    // starts a new scanner over them.
    void Restart();
    void Stop();
    CAlarmScheduler& scheduler() const { return *m_scheduler; }

private:
    void onChanged(const DataChange& change);

    std::unique_ptr<CAlarmScheduler> m_scheduler;
};
