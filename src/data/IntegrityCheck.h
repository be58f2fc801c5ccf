#pragma once

#include <QString>

#include "data/BackgroundWorker.h"

// Checks the contacts file with the engine's quick check on a connection of its own, in
// the background, so that the first window does not wait for it. Damage it finds is
// recorded in filedamage (which tells the application). A file that cannot be opened is
// not its business: the shared connection reports that. Destroying it stops the check at
// once, wherever it was.
class CIntegrityCheck {
public:
    CIntegrityCheck(const QString& path, const QString& password);

    // True until the check has ended or was stopped.
    bool running() const { return m_worker.busy(); }
    // The worker, whose finished() tells that the check has ended.
    const CBackgroundWorker& worker() const { return m_worker; }
    // Blocks until the check has ended (for tests).
    void wait() { m_worker.wait(); }

private:
    CBackgroundWorker m_worker;
};
