#include "app/BackupCommands.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <optional>

#include "app/MainFrame.h"
#include "app/Settings.h"
#include "data/BackupFiles.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/DatabaseBackup.h"
#include "data/ErrorReport.h"
#include "data/KnownValueLoader.h"
#include "data/ServerConnection.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/WaitCursor.h"

namespace {

const QString kFilter = QStringLiteral("Contacts files (*.mdb)|*.mdb|All files (*.*)|*.*||");

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Copies the contacts file to `target` through a connection of its own. With a parent, a
// progress dialog shows for a copy that takes a while and can cancel it; false then.
bool copyContactsFile(const QString& target, QWidget* parent) {
    QDir().mkpath(QFileInfo(target).absolutePath());
    CDatabase source;
    source.Open(databasePath(), false, true, connectText(currentPassword()));
    CDatabaseBackup backup(source, target);
    if (!parent) {
        backup.runToEnd();
        return true;
    }
    QProgressDialog progress(QStringLiteral("Backing up the contacts file..."),
                             QStringLiteral("Cancel"), 0, 0, parent);
    progress.setWindowTitle(QStringLiteral("Back up"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    while (!backup.step()) {
        if (progress.maximum() == 0)
            progress.setMaximum(backup.pageCount());
        progress.setValue(backup.pageCount() - backup.remaining());
        if (progress.wasCanceled())
            return false;
    }
    return true;
}

QString newBackupPath() {
    return backupfiles::newPathIn(backupfiles::folderOf(databasePath()), currentDateTime());
}

// The backup's password, asked for when the file has one; nothing when the user cancels.
std::optional<QString> backupPassword(const QString& path) {
    if (!backupfiles::isEncrypted(path))
        return QString();
    return prompter().password(
        QStringLiteral("The backup '%1' is protected by a password. Type its password:")
            .arg(QFileInfo(path).fileName()));
}

// On the team's server the data is kept by the server, and so are its backups: true (after
// saying so) when that is where Tarvex works.
bool onServer() {
    if (!sharedDatabase().isServer())
        return false;
    messageBox(QStringLiteral("Tarvex works on the team's server %1. Its data is kept by the "
                              "server's own backups, not by copies of a contacts file: ask the "
                              "server's administrator to back up or restore it.")
                   .arg(sharedDatabase().server().server()),
               Prompter::Buttons::Ok, Prompter::Icon::Information);
    return true;
}

}  // namespace

void RunBackup(QWidget* parent) {
    if (onServer())
        return;
    // The chooser opens in the proposed folder only when it exists.
    QDir().mkpath(backupfiles::folderOf(databasePath()));
    const QString target =
        prompter().saveFileName(QStringLiteral("Back up"), kFilter, newBackupPath());
    if (target.isEmpty())
        return;
    bool copied = false;
    if (!reportDbErrors([&] {
            backupfiles::refuseContactsFile(target, databasePath());
            copied = copyContactsFile(target, parent);
        }) ||
        !copied)
        return;
    messageBox(QStringLiteral("The contacts file was backed up to '%1'.").arg(shown(target)),
               Prompter::Buttons::Ok, Prompter::Icon::Information);
}

void RunRestore(CMainFrame& frame) {
    if (onServer())
        return;
    const QString path = prompter().openFileName(QStringLiteral("Restore"), kFilter);
    if (path.isEmpty())
        return;
    std::optional<QString> password = backupPassword(path);
    if (!password)
        return;
    CDatabase backup;
    if (!reportDbErrors([&] {
            WaitCursor wait;
            backupfiles::openChecked(backup, path, *password, databasePath());
        }))
        return;
    const QString keep = newBackupPath();
    if (messageBox(QStringLiteral("Put the backup '%1' in place of the contacts file?\n\n"
                                  "The current file is kept as '%2'. The record windows are "
                                  "closed for the change and opened again.")
                       .arg(shown(path), shown(keep)),
                   Prompter::Buttons::YesNo, Prompter::Icon::Question) != Prompter::Yes)
        return;
    const QStringList reopen = frame.OpenRecordWindowKinds();
    if (!frame.CloseRecordWindowsAsking())
        return;
    // The background readers' connections would keep the file from being opened alone.
    frame.StopIntegrityCheck();
    frame.knownValueLoader().stop();
    int restored = 0;
    {
        WaitCursor wait;
        restored = restoreDatabase(backup, keep, reportDbException);
    }
    frame.ShowFileNote();
    frame.StartIntegrityCheck();
    for (const QString& kind : reopen)
        frame.OpenOrActivate(kind);
    if (restored == 1)
        messageBox(QStringLiteral("The backup was restored. The file it replaced is kept as "
                                  "'%1'.")
                       .arg(shown(keep)),
                   Prompter::Buttons::Ok, Prompter::Icon::Information);
}

bool BackupOnExit() {
    if (!settings().backupOnExit || !sharedDatabase().IsOpen() || sharedDatabase().isServer())
        return true;
    const QString folder = backupfiles::folderOf(databasePath());
    if (!backupfiles::changedSinceNewest(databasePath(), folder, sharedDatabase().lastCommit()))
        return true;
    try {
        copyContactsFile(newBackupPath(), nullptr);
    } catch (const CDbException& error) {
        messageBox(QStringLiteral("The automatic backup of the contacts file into '%1' failed: "
                                  "%2\n\nTarvex ends all the same; the contacts file itself is "
                                  "not affected.")
                       .arg(shown(folder), error.description()),
                   Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return false;
    }
    backupfiles::prune(folder, kKeptBackups);
    return true;
}
