#include "data/WriteGate.h"

#include <sqlite3.h>

#include <QMetaObject>
#include <QObject>

#include "data/EngineError.h"

CWriteGate::Hold::Hold(CWriteGate& gate) : m_gate(gate) {
    ++m_gate.m_holds;
}

CWriteGate::Hold::~Hold() {
    m_gate.release();
}

void CWriteGate::whenFree(QObject* context, std::function<void()> work) {
    if (!isHeld()) {
        work();
        return;
    }
    m_waiting.emplace_back(context, std::move(work));
}

CDbException CWriteGate::busyWrite() {
    return dbError(SQLITE_MISUSE,
                   QStringLiteral("An import is writing to the contacts file, so this change was "
                                  "not written. Try again when the import has ended."));
}

void CWriteGate::release() {
    if (--m_holds > 0)
        return;
    auto waiting = std::move(m_waiting);
    m_waiting.clear();
    for (auto& [context, work] : waiting)
        if (context)
            QMetaObject::invokeMethod(context.data(), std::move(work), Qt::QueuedConnection);
}
