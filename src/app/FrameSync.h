#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "sync/PasswordStore.h"
#include "sync/SyncAccount.h"

class CCollectionSync;
class QMainWindow;

// The main frame's sync: "Sync accounts..." and "Sync now", the timer of automatic syncs,
// the password of this run, progress and summary in the status bar. `stateChanged` is
// called when a sync starts or ends, so that the frame greys "Sync now" meanwhile.
class CFrameSync : public QObject {
    Q_OBJECT
public:
    CFrameSync(QMainWindow& window, CPasswordStore& store, std::function<void()> stateChanged);
    ~CFrameSync() override;

    bool isRunning() const;
    bool hasAccount() const { return m_account.isComplete(); }
    // A sync chosen by the user: its failure is shown in a message too.
    void syncNow() { run(true); }
    void showAccounts();
    // Reads the account from the settings file and sets the timer by it.
    void reload();

signals:
    void finished(const SyncSummary& summary);

private:
    void run(bool byUser);
    void start(const QString& password, bool byUser);
    void startCollection(std::unique_ptr<CCollectionSync> sync, bool byUser);
    void collectionDone(const SyncSummary& summary, bool byUser);
    void done(const SyncSummary& summary, bool byUser);
    bool trustServer(const QUrl& server, const QString& problems);
    QString passwordKey() const;

    QMainWindow& m_window;
    CSyncPasswords m_passwords;
    std::function<void()> m_stateChanged;
    SyncAccount m_account;
    QTimer m_timer;
    bool m_starting = false;
    // The sync under way: the address book's, then the calendar's.
    std::unique_ptr<CCollectionSync> m_sync;
    bool m_calendarRunning = false;
    QString m_password;  // of the sync under way, for the calendar's turn
    SyncSummary m_done;  // what the collections synced so far did
};
