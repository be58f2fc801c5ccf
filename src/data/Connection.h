#pragma once

#include <QString>
#include <functional>

class CDatabase;
class CDbException;

// The process-wide connection that forms, dossiers, the known-value lists and the alarm
// scheduler share, with the database path and the password it was opened with.
CDatabase& sharedDatabase();

// The database file; also the default database of every record set ("Tarvex.mdb" until
// start-up sets the full path).
QString databasePath();
void setDatabasePath(const QString& path);

// The password the shared connection was last opened with successfully.
QString currentPassword();
void setCurrentPassword(const QString& password);

// The connect text for a password: ";PWD=" followed by it.
QString connectText(const QString& password);

// Opens the shared connection on the database path with the password and, on success,
// makes it the current password. Throws CDbException.
void openSharedDatabase(const QString& password);

// Changes the database password of the file at `path`: closes the shared connection,
// opens it exclusively with the old password, replaces the password and closes it. A
// failure is reported through `report` and leaves the password as it was. Then the shared
// connection is opened again with the current password (a failure there is reported and
// leaves it closed). Returns 1 when the password was changed and the connection is open
// again, else 0.
int changeDatabasePassword(const QString& path, const QString& oldPassword,
                           const QString& newPassword,
                           const std::function<void(const CDbException&)>& report);

// Replaces the contacts file at the database path by the backup at `backupPath`, whose
// password is `backupPassword` (empty for a file without one). The backup is checked whole
// first; the shared connection is closed and the file opened exclusively (so that no other
// program holds it), a copy of it is kept as `keepCurrentAs`, and the backup takes its
// place. A failure is reported through `report` and leaves the file as it was. The shared
// connection is opened again afterwards, with the backup's password when it was restored.
// Returns 1 when the backup was restored and the connection is open again, else 0.
int restoreDatabase(const QString& backupPath, const QString& backupPassword,
                    const QString& keepCurrentAs,
                    const std::function<void(const CDbException&)>& report);
// The same with a backup already opened and checked (see backupfiles::openChecked).
int restoreDatabase(CDatabase& backup, const QString& keepCurrentAs,
                    const std::function<void(const CDbException&)>& report);
