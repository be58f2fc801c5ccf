#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <span>
#include <thread>

#include "alarms/AlarmTable.h"

class QObject;

// Watches an alarm table on a scanning thread of its own and hands each alarm that falls
// due to the thread of a receiver object. The scanner waits until the handler has run, so it
// never notifies two alarms at once; the handler may restart the scheduler (a new table
// after the alarm was saved) without deadlock, since a waiting scanner also wakes when it is
// told to stop.
//
// Each scanner has its own stop signal and its own table, so a restart never leaves two
// scanners over one table. A notification that was posted by a scanner stopped before the
// receiver ran it is dropped: the scanner that replaced it finds the alarm due again in its
// table rebuilt from the database, so each alarm is notified once.
//
// A change of some alarms does not restart the scanner: Update hands the running scanner
// the alarms' new entries, which it takes before its next look at the table.
class CAlarmScheduler {
public:
    // `onDue` runs on the receiver's thread with the id of the alarm that fell due. The
    // receiver outlives the scheduler.
    CAlarmScheduler(QObject* receiver, std::function<void(qint32 id)> onDue);
    ~CAlarmScheduler();
    CAlarmScheduler(const CAlarmScheduler&) = delete;
    CAlarmScheduler& operator=(const CAlarmScheduler&) = delete;

    // Stops the running scanner and starts one over the table; false when the thread could
    // not be started. Receiver's thread only.
    bool Start(AlarmTable table);
    // Stops the running scanner and waits for it to end. Receiver's thread only.
    void Stop();
    // Gives the running scanner the current entries of some alarms: `entries` replace the
    // entries of their ids or join the table; the ids in `gone` (no longer watched) leave it.
    // An entry whose moment did not change stays notified if it was. False when no scanner
    // runs. Receiver's thread only.
    bool Update(const AlarmTable& entries, std::span<const qint32> gone);
    // The running scanner's table as it is now (empty when none runs).
    AlarmTable watched() const;
    bool isRunning() const { return m_scanner.joinable(); }
    // How many scanning threads of this scheduler are running at this moment.
    int scannersAlive() const { return m_alive.load(); }

    // The id of the alarm most recently found due; -1 before the first.
    qint32 dueAlarmId() const { return m_dueAlarmId.load(); }

    // The longest sleep between two passes over the table. A pass also starts when the
    // next alarm falls due, so an alarm is noticed within a few milliseconds of the second
    // after its moment on the real clock; the interval bounds the delay when the clock is
    // changed or replaced.
    void setPollInterval(std::chrono::milliseconds interval) { m_pollInterval = interval; }

private:
    // The table of one scanner, shared with the receiver's thread for updates.
    struct ScanState;
    void scan(std::stop_token stop, std::shared_ptr<ScanState> state);
    // Whether the table still holds the alarm at that moment.
    static bool holds(const ScanState& state, const AlarmEntry& entry);

    QObject* m_receiver;
    std::function<void(qint32)> m_onDue;
    std::chrono::milliseconds m_pollInterval{250};
    std::atomic<qint32> m_dueAlarmId{-1};
    std::atomic<int> m_alive{0};
    std::shared_ptr<ScanState> m_state;
    std::jthread m_scanner;
};
