#include "app/FrameSync.h"

#include <QMainWindow>
#include <QStatusBar>

#include "app/AppPaths.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/ErrorReport.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "platform/Prompter.h"
#include "sync/CollectionSync.h"
#include "sync/ConflictDialog.h"
#include "sync/SyncAccountDialog.h"
#include "sync/SyncSettings.h"

CFrameSync::CFrameSync(QMainWindow& window, CPasswordStore& store,
                       std::function<void()> stateChanged)
    : QObject(&window),
      m_window(window),
      m_passwords(store),
      m_stateChanged(std::move(stateChanged)) {
    connect(&m_timer, &QTimer::timeout, this, [this] { run(false); });
    reload();
}

CFrameSync::~CFrameSync() = default;

bool CFrameSync::isRunning() const {
    return m_starting || (m_sync && m_sync->isRunning());
}

void CFrameSync::reload() {
    m_account = syncsettings::load(settingsFilePath());
    m_timer.stop();
    if (m_account.isComplete() && m_account.intervalMinutes > 0)
        m_timer.start(m_account.intervalMinutes * 60'000);
}

QString CFrameSync::passwordKey() const {
    return CSyncPasswords::keyOf(m_account.user, m_account.server.toString());
}

void CFrameSync::showAccounts() {
    SyncAccount shown = m_account;
    CSyncAccountDialog dialog(shown, &m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const SyncAccount chosen = dialog.account();
    if (!syncsettings::save(settingsFilePath(), chosen))
        messageBox(tr("The sync account could not be saved to '%1'.").arg(settingsFilePath()),
                   Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
    reload();
    if (!chosen.password.isEmpty())
        m_passwords.remember(passwordKey(), chosen.password);
    m_stateChanged();
}

void CFrameSync::run(bool byUser) {
    if (isRunning() || !sharedDatabase().IsOpen())
        return;
    // What was synced when is kept beside the records; a team's server keeps it only from
    // the schema version that has its tables, which only the database's owner may bring.
    bool olderServerSchema = false;
    try {
        olderServerSchema =
            sharedDatabase().isServer() &&
            serverschema::version(sharedDatabase().server()) < serverschema::kSyncStateVersion;
    } catch (const CDbException& error) {
        if (byUser)
            reportDbException(error);
        return;
    }
    if (olderServerSchema) {
        if (byUser)
            messageBox(tr("The tables of Tarvex on the team's server %1 are of an older "
                          "version, which keeps no sync state, so nothing was synced. Ask the "
                          "database's owner to start Tarvex once with this server; it brings "
                          "the tables up to date.")
                           .arg(sharedDatabase().server().server()),
                       Prompter::Buttons::Ok, Prompter::Icon::Information);
        return;
    }
    if (!m_account.isComplete()) {
        if (byUser)
            messageBox(tr("Choose a server and an address book first (Tools > Sync accounts...)."),
                       Prompter::Buttons::Ok, Prompter::Icon::Information);
        return;
    }
    m_starting = true;
    m_stateChanged();
    m_window.statusBar()->showMessage(tr("Sync: looking for the password"));
    m_passwords.find(passwordKey(), [this, byUser](std::optional<QString> password) {
        if (!password) {
            // No key store answered: asked once, kept for this run only.
            password = prompter().password(
                tr("Password of %1 on %2:").arg(m_account.user, m_account.server.host()));
            if (password)
                m_passwords.remember(passwordKey(), *password);
        }
        if (!password) {
            m_starting = false;
            m_window.statusBar()->showMessage(tr("Sync cancelled"));
            m_stateChanged();
            return;
        }
        start(*password, byUser);
    });
}

void CFrameSync::start(const QString& password, bool byUser) {
    SyncAccount account = m_account;
    account.password = password;
    m_password = password;
    m_done = {};
    m_starting = false;
    startCollection(CCollectionSync::forAddressBook(sharedDatabase(), account), byUser);
    m_stateChanged();
}

void CFrameSync::startCollection(std::unique_ptr<CCollectionSync> sync, bool byUser) {
    m_sync = std::move(sync);
    m_sync->setTrustQuestion([this](const QUrl& server, const QString& problems) {
        return trustServer(server, problems);
    });
    m_sync->setConflictResolver(
        [this](const QString& record, const QList<FieldConflict>& conflicts) {
            return CConflictDialog::ask(record, conflicts, &m_window);
        });
    connect(m_sync.get(), &CCollectionSync::progress, this,
            [this](const QString& text) { m_window.statusBar()->showMessage(text); });
    connect(m_sync.get(), &CCollectionSync::finished, this,
            [this, byUser](const SyncSummary& summary) { collectionDone(summary, byUser); });
    m_sync->start();
}

void CFrameSync::collectionDone(const SyncSummary& summary, bool byUser) {
    m_done.add(summary);
    // The object that sent the signal goes once the signal has been delivered.
    if (CCollectionSync* ended = m_sync.release())
        ended->deleteLater();
    // The calendar follows the address book, unless the server already failed.
    if (summary.ok() && !m_calendarRunning && m_account.calendar.isValid() &&
        !m_account.calendar.isEmpty()) {
        m_calendarRunning = true;
        SyncAccount account = m_account;
        account.password = m_password;
        startCollection(CCollectionSync::forCalendar(sharedDatabase(), account), byUser);
        return;
    }
    m_calendarRunning = false;
    done(m_done, byUser);
}

void CFrameSync::done(const SyncSummary& summary, bool byUser) {
    m_window.statusBar()->showMessage(tr("Sync: %1").arg(summary.text()));
    if (summary.error.contains(QStringLiteral("user name or password")))
        m_passwords.forget(passwordKey());
    m_password.clear();
    m_stateChanged();
    if (!summary.ok() && byUser)
        messageBox(summary.error, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
    emit finished(summary);
}

bool CFrameSync::trustServer(const QUrl& server, const QString& problems) {
    const QString key = server.host() + u':' + QString::number(server.port(443));
    const int known = syncsettings::trusted(settingsFilePath(), key);
    if (known >= 0)
        return known == 1;
    const bool trust =
        messageBox(tr("The certificate of %1 is not trusted:\n%2\n\nSync with this server anyway?")
                       .arg(server.host(), problems),
                   Prompter::Buttons::YesNo, Prompter::Icon::Exclamation) == Prompter::Yes;
    syncsettings::setTrusted(settingsFilePath(), key, trust);
    return trust;
}
