#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <optional>

class CDatabase;

// Notices what other programs (and other connections) commit to the file of a connection:
// the engine's data version of the connection moves with every such commit, and asking for
// it costs next to nothing. Polled once a second and whenever the caller asks (a window was
// activated); a move is announced on the change notifier as a change of everything, since
// the engine does not say what the other writer changed.
//
// On the team's server the other users' commits arrive as notifications that name their
// rows; each look passes them on, and the server's socket is watched so that a look follows
// at once when something arrives. A connection found lost is made again at the next look,
// and then everything is announced, since what was committed meanwhile went unheard.
class CExternalChangeWatch : public QObject {
    Q_OBJECT
public:
    explicit CExternalChangeWatch(CDatabase& db, QObject* parent = nullptr);

    // Starts and stops the polling.
    void start(int intervalMs = 1000);
    void stop();
    bool isActive() const { return m_timer.isActive(); }
    // Looks at the data version now; true when it moved since the last look.
    bool check();

signals:
    // The connection to the server was lost (`lost`), or made again: words for the status bar.
    void serverConnection(bool lost, const QString& text);

private:
    bool checkServer();
    // Watches the socket of the server connection as it is now; none while it is lost.
    void watchServerSocket();

    CDatabase& m_db;
    bool m_serverLost = false;
    QTimer m_timer;
    std::unique_ptr<QSocketNotifier> m_serverSocket;
    // The connection and version last seen; a connection opened anew starts a new count.
    const void* m_handle = nullptr;
    std::optional<qint64> m_version;
};
