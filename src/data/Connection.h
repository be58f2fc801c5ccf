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
