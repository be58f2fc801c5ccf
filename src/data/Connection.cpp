#include "data/Connection.h"

#include <QDir>
#include <QFileInfo>

#include "data/BackupFiles.h"
#include "data/ChangeNotifier.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/FileDamage.h"

namespace {

QString& pathValue() {
    static QString path = QStringLiteral("Tarvex.mdb");
    return path;
}

QString& passwordValue() {
    static QString password;
    return password;
}

}  // namespace

CDatabase& sharedDatabase() {
    static CDatabase shared(CDatabase::Hears::EveryClient);
    return shared;
}

QString databasePath() {
    return pathValue();
}

void setDatabasePath(const QString& path) {
    pathValue() = path;
}

QString currentPassword() {
    return passwordValue();
}

void setCurrentPassword(const QString& password) {
    passwordValue() = password;
}

QString connectText(const QString& password) {
    return QStringLiteral(";PWD=") + password;
}

void openSharedDatabase(const QString& password) {
    CDatabase& shared = sharedDatabase();
    shared.Open(databasePath(), false, false, connectText(password));
    // The lists, the search and the name load open connections of their own with it: a
    // server needs its password for each, a file without one none.
    setCurrentPassword(shared.isServer() ? password : shared.password());
}

int changeDatabasePassword(const QString& path, const QString& oldPassword,
                           const QString& newPassword,
                           const std::function<void(const CDbException&)>& report) {
    CDatabase& db = sharedDatabase();
    int result = 0;
    db.Close();
    try {
        db.Open(path, true, false, QStringLiteral(";pwd=") + oldPassword);
        db.SetPassword(oldPassword, newPassword);
        db.Close();
        result = 1;
    } catch (const CDbException& error) {
        report(error);
        db.Close();
    }
    if (result == 1)
        setCurrentPassword(newPassword);
    try {
        db.Open(databasePath(), false, false, connectText(currentPassword()));
    } catch (const CDbException& error) {
        report(error);
        return 0;
    }
    return result;
}

int restoreDatabase(const QString& backupPath, const QString& backupPassword,
                    const QString& keepCurrentAs,
                    const std::function<void(const CDbException&)>& report) {
    CDatabase backup;
    try {
        backupfiles::openChecked(backup, backupPath, backupPassword, databasePath());
    } catch (const CDbException& error) {
        report(error);
        return 0;
    }
    return restoreDatabase(backup, keepCurrentAs, report);
}

int restoreDatabase(CDatabase& backup, const QString& keepCurrentAs,
                    const std::function<void(const CDbException&)>& report) {
    CDatabase& db = sharedDatabase();
    int result = 0;
    db.Close();
    try {
        db.Open(databasePath(), true, false, connectText(currentPassword()));
        QDir().mkpath(QFileInfo(keepCurrentAs).absolutePath());
        db.ReplaceWith(backup, keepCurrentAs);
        result = 1;
    } catch (const CDbException& error) {
        report(error);
        db.Close();
    }
    if (result == 1) {
        setCurrentPassword(backup.password());
        filedamage::noteFileReplaced();
    }
    backup.Close();
    try {
        openSharedDatabase(currentPassword());
    } catch (const CDbException& error) {
        report(error);
        return 0;
    }
    // Whatever the lists and names showed came from the file that was replaced.
    if (result == 1)
        changeNotifier().announce(DataChange::all());
    return result;
}
