#include "alarms/AlarmScheduler.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
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

struct CAlarmScheduler::ScanState {
    mutable std::mutex mutex;
    std::condition_variable_any wake;
    AlarmTable table;
    bool edited = false;
};

CAlarmScheduler::CAlarmScheduler(QObject* receiver, std::function<void(qint32)> onDue)
    : m_receiver(receiver), m_onDue(std::move(onDue)) {}

CAlarmScheduler::~CAlarmScheduler() {
    Stop();
}

bool CAlarmScheduler::Start(AlarmTable table) {
    Stop();
    auto state = std::make_shared<ScanState>();
    state->table = std::move(table);
    try {
        m_scanner = std::jthread(
            [this](std::stop_token stop, std::shared_ptr<ScanState> shared) {
                scan(stop, std::move(shared));
            },
            state);
    } catch (const std::system_error&) {
        return false;
    }
    m_state = std::move(state);
    return true;
}

void CAlarmScheduler::Stop() {
    if (!m_scanner.joinable())
        return;
    // The scanner wakes from its sleep or its wait for a handler at once and ends.
    m_scanner.request_stop();
    m_scanner.join();
    m_state.reset();
}

bool CAlarmScheduler::Update(const AlarmTable& entries, std::span<const qint32> gone) {
    if (!m_state)
        return false;
    {
        std::lock_guard lock(m_state->mutex);
        AlarmTable& table = m_state->table;
        std::erase_if(table, [gone](const AlarmEntry& entry) {
            return std::find(gone.begin(), gone.end(), entry.id) != gone.end();
        });
        for (const AlarmEntry& entry : entries) {
            const auto it = std::find_if(table.begin(), table.end(), [&entry](const AlarmEntry& e) {
                return e.id == entry.id;
            });
            if (it == table.end()) {
                table.push_back({entry.id, entry.when, 0});
            } else {
                it->notified = it->when == entry.when ? it->notified : 0;
                it->when = entry.when;
            }
        }
        m_state->edited = true;
    }
    m_state->wake.notify_all();
    return true;
}

bool CAlarmScheduler::holds(const ScanState& state, const AlarmEntry& entry) {
    std::lock_guard lock(state.mutex);
    return std::any_of(state.table.begin(), state.table.end(), [&entry](const AlarmEntry& e) {
        return e.id == entry.id && e.when == entry.when;
    });
}

AlarmTable CAlarmScheduler::watched() const {
    if (!m_state)
        return {};
    std::lock_guard lock(m_state->mutex);
    return m_state->table;
}

void CAlarmScheduler::scan(std::stop_token stop, std::shared_ptr<ScanState> state) {
    ++m_alive;
    struct Leaving {
        std::atomic<int>& alive;
        ~Leaving() { --alive; }
    } leaving{m_alive};
    while (!stop.stop_requested()) {
        const qint64 nowMs = wallClockNow().toMSecsSinceEpoch();
        const qint64 now = nowMs / 1000;
        qint64 nextDue = std::numeric_limits<qint64>::max();
        std::optional<AlarmEntry> due;
        {
            // The table is held only while it is looked at, never while a handler runs:
            // the handler's save updates it.
            std::lock_guard lock(state->mutex);
            state->edited = false;
            for (AlarmEntry& entry : state->table) {
                if (entry.notified)
                    continue;
                if (now <= entry.when) {
                    nextDue = std::min(nextDue, static_cast<qint64>(entry.when));
                    continue;
                }
                entry.notified = 1;
                due = entry;
                break;
            }
        }
        if (due) {
            m_dueAlarmId = due->id;
            auto handoff = std::make_shared<Handoff>();
            QMetaObject::invokeMethod(
                m_receiver,
                [this, handoff, entry = *due, state, stop] {
                    // Dropped when its scanner was stopped, or when the alarm was written
                    // meanwhile (advanced by another notice, say): its new entry decides.
                    if (!stop.stop_requested() && holds(*state, entry))
                        m_onDue(entry.id);
                    std::lock_guard lock(handoff->mutex);
                    handoff->handled = true;
                    handoff->done.notify_all();
                },
                Qt::QueuedConnection);
            std::unique_lock lock(handoff->mutex);
            if (!handoff->done.wait(lock, stop, [&handoff] { return handoff->handled; }))
                return;
            continue;
        }
        // Sleep until the second after the next moment, at most one poll interval, or until
        // the table is updated.
        std::chrono::milliseconds sleep = m_pollInterval;
        if (nextDue != std::numeric_limits<qint64>::max()) {
            const qint64 untilDue = (nextDue + 1) * 1000 - nowMs;
            sleep = std::clamp(std::chrono::milliseconds(untilDue), std::chrono::milliseconds(1),
                               m_pollInterval);
        }
        std::unique_lock lock(state->mutex);
        state->wake.wait_for(lock, stop, sleep, [&state] { return state->edited; });
    }
}
