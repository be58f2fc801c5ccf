#include "data/ExternalChangeWatch.h"

#include "data/ChangeNotifier.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/ServerConnection.h"

CExternalChangeWatch::CExternalChangeWatch(CDatabase& db, QObject* parent)
    : QObject(parent), m_db(db) {
    connect(&m_timer, &QTimer::timeout, this, &CExternalChangeWatch::check);
}

void CExternalChangeWatch::start(int intervalMs) {
    m_timer.start(intervalMs);
    check();
}

void CExternalChangeWatch::stop() {
    m_timer.stop();
    m_serverSocket.reset();
}

bool CExternalChangeWatch::check() {
    if (!m_db.IsOpen()) {
        m_handle = nullptr;
        m_version.reset();
        m_serverSocket.reset();
        return false;
    }
    if (m_db.isServer()) {
        const bool moved = checkServer();
        if (m_timer.isActive())
            watchServerSocket();
        return moved;
    }
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
    } catch (const CDbException&) {
        // A closed socket stays readable: it is not watched until the connection is made again.
        m_serverSocket.reset();
        if (!m_serverLost)
            emit serverConnection(
                true, QStringLiteral("The connection to the server was lost; trying again..."));
        m_serverLost = true;
        return false;
    }
}

void CExternalChangeWatch::watchServerSocket() {
    const int socket = m_serverLost ? -1 : m_db.server().socket();
    if (socket < 0) {
        m_serverSocket.reset();
        return;
    }
    if (m_serverSocket && m_serverSocket->socket() == socket)
        return;
    m_serverSocket = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    connect(m_serverSocket.get(), &QSocketNotifier::activated, this, &CExternalChangeWatch::check);
}
