#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class CDatabase;

// Where backups of a contacts file go and what they are called: a "backups" folder beside
// the file, one "Tarvex-YYYY-MM-DD-HHMM.mdb" a backup.
namespace backupfiles {

// The backups folder beside the database file.
QString folderOf(const QString& databasePath);
// A new name in the folder for a backup taken at `when`; a second backup within the same
// minute gets "-2", "-3", ... before the suffix.
QString newPathIn(const QString& folder, const QDateTime& when);
// The backups in the folder named as newPathIn() names them, newest first.
QStringList backupsIn(const QString& folder);
// Removes all but the newest `keep` backups of the folder; the paths removed.
QStringList prune(const QString& folder, int keep);
// Whether the file may have changed since the newest backup in the folder was written: a
// commit at `lastCommit` (this program's own, which may still be in the write-ahead log) or
// a newer time of the file itself (what other programs wrote and the log handed on). True
// when there is no backup.
bool changedSinceNewest(const QString& databasePath, const QString& folder,
                        const QDateTime& lastCommit);

// Refuses (CDbException) a path that is the contacts file or one of its side files, under
// any name: a backup written over it, or another descriptor opened and closed on it, would
// destroy it or drop the engine's locks on it.
void refuseContactsFile(const QString& path, const QString& databasePath);

// Opens a backup read-only as `db` and checks it whole: a file that is no database, an
// encrypted one whose password is not `password`, and a damaged one are refused with
// CDbException, the last naming what the check found. The backup must not be the file
// `databasePath` itself.
void openChecked(CDatabase& db, const QString& path, const QString& password,
                 const QString& databasePath);

// Whether the file at `path` is encrypted, judged by the engine (without the password).
bool isEncrypted(const QString& path);

}  // namespace backupfiles
