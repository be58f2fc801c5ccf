#pragma once

#include <QString>
#include <thread>

// Checks the contacts file with the engine's quick check on a connection of its own, in
// the background, so that the first window does not wait for it. Damage it finds is
// recorded in filedamage (which tells the application). A file that cannot be opened is
// not its business: the shared connection reports that.
class CIntegrityCheck {
public:
    CIntegrityCheck(const QString& path, const QString& password);
    // Interrupts a check still running and waits for its thread (std::jthread does both).
    ~CIntegrityCheck() = default;
    CIntegrityCheck(const CIntegrityCheck&) = delete;
    CIntegrityCheck& operator=(const CIntegrityCheck&) = delete;

    // Blocks until the check has ended (for tests).
    void wait();

private:
    std::jthread m_thread;
};
