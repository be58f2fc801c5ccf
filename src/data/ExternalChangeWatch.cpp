#include "data/ExternalChangeWatch.h"

#include "data/ChangeNotifier.h"
#include "data/Database.h"
#include "data/DbException.h"

CExternalChangeWatch::CExternalChangeWatch(CDatabase& db, QObject* parent)
    : QObject(parent), m_db(db) {
    connect(&m_timer, &QTimer::timeout, this, &CExternalChangeWatch::check);
}

void CExternalChangeWatch::start(int intervalMs) {
    check();
    m_timer.start(intervalMs);
}

void CExternalChangeWatch::stop() {
    m_timer.stop();
}

bool CExternalChangeWatch::check() {
    if (!m_db.IsOpen()) {
        m_handle = nullptr;
        m_version.reset();
        return false;
    }
    if (m_db.isServer())
        return checkServer();
    qint64 version = 0;
    try {
        version = m_db.dataVersion();
    } catch (const CDbException&) {
        // A file that cannot be read now is reported by whatever reads it next.
        return false;
    }
    const bool sameConnection = m_handle == m_db.handle();
    const bool moved = sameConnection && m_version && *m_version != version;
    m_handle = m_db.handle();
    m_version = version;
    if (moved)
        changeNotifier().announce(DataChange::all());
    return moved;
}

bool CExternalChangeWatch::checkServer() {
    try {
        if (m_serverLost) {
            m_db.reconnectServer();
            m_serverLost = false;
            emit serverConnection(false, QStringLiteral("Connected to the server again."));
            changeNotifier().announce(DataChange::all());
            return true;
        }
        m_db.takeServerNotifications();
        m_db.announceCommitted();
        return false;
    } catch (const CDbException& error) {
        if (!m_serverLost)
            emit serverConnection(
                true, QStringLiteral("The connection to the server was lost; trying again..."));
        m_serverLost = true;
        return false;
    }
}
