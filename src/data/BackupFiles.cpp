#include "data/BackupFiles.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "data/ContactsFileIdentity.h"
#include "data/Database.h"
#include "data/EngineError.h"
#include "data/FileDamage.h"
#include "data/Statement.h"

namespace backupfiles {
namespace {

const QRegularExpression& backupName() {
    static const QRegularExpression name(
        QStringLiteral("^Tarvex-\\d{4}-\\d{2}-\\d{2}-\\d{4}(-\\d+)?\\.mdb$"));
    return name;
}

QDateTime modified(const QString& path) {
    return QFileInfo(path).lastModified();
}

}  // namespace

QString folderOf(const QString& databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backups"));
}

QString newPathIn(const QString& folder, const QDateTime& when) {
    const QString stem =
        QStringLiteral("Tarvex-") + when.toString(QStringLiteral("yyyy-MM-dd-HHmm"));
    const QDir dir(folder);
    QString path = dir.filePath(stem + QStringLiteral(".mdb"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.mdb").arg(stem).arg(n));
    return path;
}

QStringList backupsIn(const QString& folder) {
    QFileInfoList found;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files))
        if (backupName().match(info.fileName()).hasMatch())
            found.append(info);
    // Newest first: by the time each was written, then by name for the same second.
    std::sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime ta = a.lastModified();
        const QDateTime tb = b.lastModified();
        if (ta != tb)
            return ta > tb;
        return a.fileName().size() != b.fileName().size()
                   ? a.fileName().size() > b.fileName().size()
                   : a.fileName() > b.fileName();
    });
    QStringList paths;
    for (const QFileInfo& info : found)
        paths.append(info.absoluteFilePath());
    return paths;
}

QStringList prune(const QString& folder, int keep) {
    QStringList removed;
    const QStringList backups = backupsIn(folder);
    for (qsizetype i = std::max(keep, 0); i < backups.size(); ++i)
        if (QFile::remove(backups[i]))
            removed.append(backups[i]);
    return removed;
}

bool changedSinceNewest(const QString& databasePath, const QString& folder,
                        const QDateTime& lastCommit) {
    const QStringList backups = backupsIn(folder);
    if (backups.isEmpty())
        return true;
    // The log's own time says nothing: it is made anew whenever the file is opened.
    const QDateTime newest = modified(backups.first());
    return modified(databasePath) >= newest || (lastCommit.isValid() && lastCommit >= newest);
}

void refuseContactsFile(const QString& path, const QString& databasePath) {
    if (isDatabaseOrSideFile(path, databasePath))
        throw dbError(SQLITE_CANTOPEN,
                      QStringLiteral("'%1' is the contacts file itself, not a backup of it.")
                          .arg(QDir::toNativeSeparators(path)));
}

void openChecked(CDatabase& db, const QString& path, const QString& password,
                 const QString& databasePath) {
    refuseContactsFile(path, databasePath);
    // Damage found here is the backup's, not the contacts file's.
    const filedamage::OtherFileScope backupFile;
    QStringList problems;
    try {
        db.Open(path, false, true, QStringLiteral(";PWD=") + password);
        CStatement check(db, QStringLiteral("PRAGMA integrity_check(5)"));
        while (check.step())
            problems.append(check.text(0));
    } catch (const CDbException& error) {
        const int primary = error.code() & 0xFF;
        // A wrong password, a file that is no database or cannot be read: said as it is.
        if (primary != SQLITE_CORRUPT)
            throw;
        problems = {error.description()};
    }
    if (problems != QStringList{QStringLiteral("ok")}) {
        db.Close();
        throw dbError(
            SQLITE_CORRUPT,
            QStringLiteral("The backup '%1' is damaged and cannot be restored: %2")
                .arg(QDir::toNativeSeparators(path), problems.join(QStringLiteral("; "))));
    }
}

bool isEncrypted(const QString& path) {
    const filedamage::OtherFileScope otherFile;
    CDatabase db;
    try {
        db.Open(path, false, true);
    } catch (const CDbException& error) {
        return (error.code() & 0xFF) == SQLITE_AUTH;
    }
    return false;
}

}  // namespace backupfiles
