#pragma once

#include <QPointer>
#include <functional>
#include <vector>

#include "data/DbException.h"

class QObject;

// Held while a long write (an import) keeps a transaction open on a connection and lets the
// event loop run meanwhile (its progress dialog). A write made from the event loop in that
// time would land in that transaction and go with its rollback, so such writes wait for the
// gate: `whenFree` runs them once the holder has committed or rolled back. User-interface
// thread only.
class CWriteGate {
public:
    CWriteGate() = default;
    CWriteGate(const CWriteGate&) = delete;
    CWriteGate& operator=(const CWriteGate&) = delete;

    // Holds the gate for its lifetime.
    class Hold {
    public:
        explicit Hold(CWriteGate& gate);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        CWriteGate& m_gate;
    };

    bool isHeld() const { return m_holds > 0; }

    // Runs `work` at once when the gate is free; otherwise queues it on `context`'s thread
    // for when the last hold ends, from the event loop rather than from inside the ending
    // write. Work whose context is destroyed first is dropped.
    void whenFree(QObject* context, std::function<void()> work);

    // The error of a write refused because the gate is held.
    static CDbException busyWrite();

private:
    void release();

    int m_holds = 0;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_waiting;
};
