#include "BackupBench.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "BenchTable.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/DatabaseBackup.h"

namespace {

// The engine alone: a new file filled by the online backup in one step.
Timing engineBackup(const QString& target) {
    QFile::remove(target);
    EngineConnection source(databasePath());
    sqlite3* copy = nullptr;
    sqlite3_open(QFile::encodeName(target).constData(), &copy);
    const Stopwatch watch;
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source.handle(), "main");
    if (backup) {
        sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
    }
    const Timing took = watch.elapsed();
    sqlite3_close(copy);
    QFile::remove(target);
    return took;
}

}  // namespace

void runBackupBench(const QString& folder, BenchTable& table) {
    const QString ours = QDir(folder).absoluteFilePath(QStringLiteral("bench-backup.mdb"));
    const Timing engine = engineBackup(ours);
    CDatabase source;
    source.Open(databasePath(), false, true);
    const Stopwatch watch;
    CDatabaseBackup backup(source, ours);
    while (!backup.step()) {
    }
    const Timing took = watch.elapsed();
    const qint64 size = QFileInfo(ours).size();
    QFile::remove(ours);
    table.add(QStringLiteral("back up the whole file"), took, engine,
              QStringLiteral("%1 MiB").arg(size / (1024 * 1024)));
}
