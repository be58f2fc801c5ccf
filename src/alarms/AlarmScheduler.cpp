#include "alarms/AlarmScheduler.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <system_error>

#include "data/StoredDateTime.h"
#include "platform/Clock.h"

namespace {

// What a scanner and the handler it posted share: the scanner waits for `handled`.
struct Handoff {
    std::mutex mutex;
    std::condition_variable_any done;
    bool handled = false;
};

}  // namespace

CAlarmScheduler::CAlarmScheduler(QObject* receiver, std::function<void(qint32)> onDue)
    : m_receiver(receiver), m_onDue(std::move(onDue)) {}

CAlarmScheduler::~CAlarmScheduler() {
    Stop();
}

bool CAlarmScheduler::Start(AlarmTable table) {
    Stop();
    try {
        m_scanner = std::jthread(
            [this](std::stop_token stop, AlarmTable watched) { scan(stop, std::move(watched)); },
            std::move(table));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CAlarmScheduler::Stop() {
    if (!m_scanner.joinable())
        return;
    // The scanner wakes from its sleep or its wait for a handler at once and ends.
    m_scanner.request_stop();
    m_scanner.join();
}

void CAlarmScheduler::scan(std::stop_token stop, AlarmTable table) {
    ++m_alive;
    struct Leaving {
        std::atomic<int>& alive;
        ~Leaving() { --alive; }
    } leaving{m_alive};
    std::mutex sleepMutex;
    std::condition_variable_any sleeper;
    while (!stop.stop_requested()) {
        const qint64 nowMs = wallClockNow().toMSecsSinceEpoch();
        const qint64 now = nowMs / 1000;
        qint64 nextDue = std::numeric_limits<qint64>::max();
        for (AlarmEntry& entry : table) {
            if (stop.stop_requested())
                return;
            if (entry.notified)
                continue;
            if (now <= entry.when) {
                nextDue = std::min(nextDue, static_cast<qint64>(entry.when));
                continue;
            }
            entry.notified = 1;
            m_dueAlarmId = entry.id;
            auto handoff = std::make_shared<Handoff>();
            const qint32 id = entry.id;
            QMetaObject::invokeMethod(
                m_receiver,
                [this, handoff, id, stop] {
                    if (!stop.stop_requested())
                        m_onDue(id);
                    std::lock_guard lock(handoff->mutex);
                    handoff->handled = true;
                    handoff->done.notify_all();
                },
                Qt::QueuedConnection);
            std::unique_lock lock(handoff->mutex);
            if (!handoff->done.wait(lock, stop, [&handoff] { return handoff->handled; }))
                return;
        }
        // Sleep until the second after the next moment, at most one poll interval.
        std::chrono::milliseconds sleep = m_pollInterval;
        if (nextDue != std::numeric_limits<qint64>::max()) {
            const qint64 untilDue = (nextDue + 1) * 1000 - nowMs;
            sleep = std::clamp(std::chrono::milliseconds(untilDue), std::chrono::milliseconds(1),
                               m_pollInterval);
        }
        std::unique_lock lock(sleepMutex);
        sleeper.wait_for(lock, stop, sleep, [] { return false; });
    }
}
