#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include "DataTestSupport.h"
#include "OutsideClient.h"
#include "data/BackupFiles.h"
#include "data/Connection.h"
#include "data/DatabaseBackup.h"
#include "data/FileDamage.h"
#include "data/PersonRcs.h"
#include "data/Statement.h"

namespace {

QString firstValue(CDatabase& db, const QString& sql) {
    CStatement statement(db, sql);
    return statement.step() ? statement.text(0) : QString();
}

// Persons with long descriptions, so that the file has many pages to copy.
void fill(CDatabase& db, int persons) {
    CStatement insert(db, QStringLiteral("INSERT INTO Person (lastname, description) "
                                         "VALUES ('Filler ' || ?1, ?2)"));
    CStatement(db.handle(), QStringLiteral("BEGIN")).execute();
    for (int n = 0; n < persons; ++n) {
        insert.bind(1, n);
        insert.bind(2, QString(2000, QLatin1Char('a' + n % 26)));
        insert.execute();
        insert.reset();
    }
    CStatement(db.handle(), QStringLiteral("COMMIT")).execute();
}

// Sets a file's modification time by its name: no descriptor of this process is opened on
// it, which on the contacts file would drop the engine's locks. A missing file is made.
void setModified(const QString& path, const QDateTime& when) {
    if (!QFileInfo::exists(path)) {
        QFile made(path);
        ASSERT_TRUE(made.open(QIODevice::WriteOnly));
    }
    const qint64 ms = when.toMSecsSinceEpoch();
    const struct timespec times[2] = {{ms / 1000, (ms % 1000) * 1000000},
                                      {ms / 1000, (ms % 1000) * 1000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

}  // namespace

class BackupTest : public DataTest {
protected:
    QString backupPath() const { return path(QStringLiteral("backups/Tarvex-copy.mdb")); }
    void SetUp() override {
        DataTest::SetUp();
        QDir().mkpath(path(QStringLiteral("backups")));
    }
    void TearDown() override {
        filedamage::resetForTesting();
        DataTest::TearDown();
    }
    // The person count of a backup, opened as a user would open it.
    QString personsIn(const QString& file, const QString& filePassword) {
        CDatabase copy;
        copy.Open(file, false, true, connectText(filePassword));
        EXPECT_EQ(firstValue(copy, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        return firstValue(copy, QStringLiteral("SELECT count(*) FROM Person"));
    }
};

class EncryptedBackupTest : public BackupTest {
protected:
    QString password() const override { return QStringLiteral("b4ckup"); }
};

// Another program saves 1,000 records, each a person and a contact in one transaction,
// while the backup is taken in small steps: the copy holds whole transactions only.
TEST_F(EncryptedBackupTest, ABackupTakenWhileAnotherProgramSavesIsConsistent) {
    fill(db, 400);
    // Without a flush to disk at each commit, the other program holds the write lock for
    // moments only, also on a busy machine.
    QString script =
        QStringLiteral(".timeout 5000\nPRAGMA key = '%1';\nPRAGMA synchronous = NORMAL;\n")
            .arg(password());
    for (int n = 0; n < 1000; ++n)
        script += QStringLiteral(
                      "BEGIN; INSERT INTO Person (lastname) VALUES ('Busy %1'); "
                      "INSERT INTO Contact (person) VALUES ('Busy %1'); COMMIT;\n")
                      .arg(n);
    // The other program reads its statements from a file, so that it saves on its own while
    // this process steps the backup.
    QFile scriptFile(path(QStringLiteral("saves.sql")));
    ASSERT_TRUE(scriptFile.open(QIODevice::WriteOnly));
    scriptFile.write(script.toUtf8());
    scriptFile.close();
    QProcess saver;
    saver.start(
        QStringLiteral("sqlcipher"),
        {QStringLiteral("-batch"), dbPath, QStringLiteral(".read %1").arg(scriptFile.fileName())});
    ASSERT_TRUE(saver.waitForStarted(10000));
    const auto savedByOther = [this] {
        return firstValue(db, QStringLiteral("SELECT count(*) FROM Contact")).toInt();
    };
    // The backup starts once the other program is saving, and each step waits for a save of
    // it, so that the two interleave.
    for (int wait = 0; wait < 10000 && savedByOther() < 10; ++wait)
        QThread::msleep(1);
    CDatabase source;
    source.Open(dbPath, false, true, connectText(password()));
    {
        CDatabaseBackup backup(source, backupPath());
        int steps = 0;
        while (!backup.step(8)) {
            const int seen = savedByOther();
            for (int wait = 0; wait < 500 && seen < 1000 && savedByOther() == seen; ++wait)
                QThread::msleep(1);
            ++steps;
            // Our own saves go on meanwhile, on another connection.
            if (steps % 20 == 0) {
                CPersonRcs persons(&db);
                persons.Open();
                add(persons, {{"lastname", QStringLiteral("Own")}});
            }
        }
        EXPECT_GT(steps, 20);
    }
    ASSERT_TRUE(saver.waitForFinished(60000));
    const QByteArray problems = saver.readAllStandardError();
    EXPECT_TRUE(problems.isEmpty()) << problems.left(300).toStdString();
    EXPECT_EQ(saver.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(CDatabaseBackup::partialPathOf(backupPath())));

    CDatabase copy;
    // The copy needs the file's password.
    EXPECT_THROW(copy.Open(backupPath(), false, true), CDbException);
    copy.Open(backupPath(), false, true, connectText(password()));
    EXPECT_EQ(firstValue(copy, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    const QString busy = firstValue(copy, QStringLiteral("SELECT count(*) FROM Contact"));
    EXPECT_EQ(firstValue(copy, QStringLiteral("SELECT count(*) FROM Person WHERE lastname GLOB "
                                              "'Busy *'")),
              busy);
    // The copy holds the moment the backup started: some of the saves, not all.
    EXPECT_GE(busy.toInt(), 10);
    EXPECT_LT(busy.toInt(), 1000);
    EXPECT_EQ(savedByOther(), 1000);
    EXPECT_EQ(firstValue(copy, QStringLiteral("SELECT count(*) FROM Person WHERE lastname GLOB "
                                              "'Filler *'")),
              QStringLiteral("400"));
    EXPECT_EQ(firstValue(copy, QStringLiteral("PRAGMA journal_mode")), QStringLiteral("delete"));
}

TEST_F(BackupTest, ACancelledOrKilledBackupLeavesNoFileThatLooksWhole) {
    fill(db, 300);
    CDatabase source;
    source.Open(dbPath, false, true);
    {
        CDatabaseBackup backup(source, backupPath());
        EXPECT_FALSE(backup.step(4));
        EXPECT_GT(backup.remaining(), 0);
    }
    EXPECT_FALSE(QFileInfo::exists(backupPath()));
    EXPECT_FALSE(QFileInfo::exists(CDatabaseBackup::partialPathOf(backupPath())));
    // The source's read has ended: others may checkpoint and it may start another.
    EXPECT_TRUE(sqlite3_get_autocommit(source.handle()));

    source.Close();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CDatabase own;
        own.Open(dbPath, false, true);
        CDatabaseBackup backup(own, backupPath());
        backup.step(16);
        raise(SIGKILL);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(QFileInfo::exists(backupPath()));
    EXPECT_TRUE(backupfiles::backupsIn(path(QStringLiteral("backups"))).isEmpty());

    // The next backup starts afresh over the remains.
    source.Open(dbPath, false, true);
    CDatabaseBackup(source, backupPath()).runToEnd();
    EXPECT_FALSE(QFileInfo::exists(CDatabaseBackup::partialPathOf(backupPath())));
    EXPECT_EQ(personsIn(backupPath(), {}), QStringLiteral("300"));
}

TEST_F(BackupTest, BackupNamesAndPruningKeepTheNewest) {
    const QString folder = backupfiles::folderOf(dbPath);
    EXPECT_EQ(folder, path(QStringLiteral("backups")));
    const QDateTime when(QDate(2026, 12, 8), QTime(9, 5));
    const QString first = backupfiles::newPathIn(folder, when);
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("Tarvex-2026-12-08-0905.mdb"));
    QStringList made;
    for (int n = 0; n < 10; ++n) {
        const QString name = backupfiles::newPathIn(folder, when.addSecs(n < 5 ? 0 : 60 * n));
        setModified(name, QDateTime::currentDateTimeUtc().addSecs(n - 100));
        made << QFileInfo(name).fileName();
    }
    EXPECT_EQ(made[1], QStringLiteral("Tarvex-2026-12-08-0905-2.mdb"));
    // Files of other names are the user's own and stay.
    QFile other(QDir(folder).filePath(QStringLiteral("mine.mdb")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();

    const QStringList removed = backupfiles::prune(folder, 7);
    EXPECT_EQ(removed.size(), 3);
    QStringList kept;
    for (const QString& file : backupfiles::backupsIn(folder))
        kept << QFileInfo(file).fileName();
    EXPECT_EQ(kept.size(), 7);
    EXPECT_EQ(kept.first(), made.last());
    EXPECT_FALSE(kept.contains(made[0]));
    EXPECT_FALSE(kept.contains(made[2]));
    EXPECT_TRUE(other.exists());
}

TEST_F(BackupTest, ChangedSinceTheNewestBackupFollowsOwnCommitsAndTheFile) {
    const QString folder = backupfiles::folderOf(dbPath);
    const auto changed = [&] {
        return backupfiles::changedSinceNewest(dbPath, folder, db.lastCommit());
    };
    EXPECT_TRUE(changed());
    EXPECT_FALSE(db.lastCommit().isValid());
    CDatabase source;
    source.Open(dbPath, false, true);
    const QString copy = backupfiles::newPathIn(folder, QDateTime::currentDateTime());
    CDatabaseBackup(source, copy).runToEnd();
    setModified(copy, QDateTime::currentDateTimeUtc().addSecs(60));
    EXPECT_FALSE(changed());
    // Opening the file again makes a new log: that alone is no change.
    {
        CDatabase again;
        again.Open(dbPath);
    }
    EXPECT_FALSE(changed());
    // An own save, still in the log.
    CPersonRcs persons(&db);
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("Later")}});
    EXPECT_TRUE(db.lastCommit().isValid());
    setModified(copy, db.lastCommit().addSecs(-1));
    EXPECT_TRUE(changed());
    setModified(copy, db.lastCommit().addSecs(1));
    EXPECT_FALSE(changed());
    // Another program's save, handed on from the log into the file.
    setModified(dbPath, db.lastCommit().addSecs(2));
    EXPECT_TRUE(changed());
}

class RestoreTest : public BackupTest {
protected:
    void SetUp() override {
        BackupTest::SetUp();
        addNamed(db, QStringLiteral("In the backup"));
        CDatabaseBackup(db, backupPath()).runToEnd();
        addNamed(db, QStringLiteral("Only in the file"));
        db.Close();
        openSharedDatabase(password());
    }
    static void addNamed(CDatabase& on, const QString& name) {
        CPersonRcs persons(&on);
        persons.Open();
        add(persons, {{"lastname", name}});
    }
    QString keepPath() const { return path(QStringLiteral("backups/kept.mdb")); }
    int restore(const QString& from, const QString& fromPassword) {
        reported.clear();
        return restoreDatabase(from, fromPassword, keepPath(), [this](const CDbException& error) {
            reported << error.description();
        });
    }
    QStringList names() {
        CPersonRcs persons(&sharedDatabase());
        persons.m_strSort = QStringLiteral("lastname");
        persons.Open();
        QStringList found;
        for (; !persons.IsEOF(); persons.MoveNext())
            found << persons.text(QStringLiteral("lastname"));
        return found;
    }
    QStringList reported;
};

class EncryptedRestoreTest : public RestoreTest {
protected:
    QString password() const override { return QStringLiteral("r3store"); }
};

TEST_F(RestoreTest, ARestoredBackupReplacesTheFileAndTheCurrentOneIsKept) {
    const QStringList before = {QStringLiteral("In the backup"),
                                QStringLiteral("Only in the file")};
    EXPECT_EQ(names(), before);
    ASSERT_EQ(restore(backupPath(), {}), 1) << reported.join('\n').toStdString();
    EXPECT_TRUE(reported.isEmpty());
    ASSERT_TRUE(sharedDatabase().IsOpen());
    EXPECT_EQ(names(), QStringList{QStringLiteral("In the backup")});
    EXPECT_EQ(personsIn(keepPath(), {}), QStringLiteral("2"));
    // Other programs see the restored file, and it is in use as before.
    EXPECT_EQ(OutsideClient::query(dbPath, QStringLiteral("SELECT count(*) FROM Person")),
              QStringLiteral("1"));
    addNamed(sharedDatabase(), QStringLiteral("After"));
    EXPECT_EQ(OutsideClient::query(dbPath, QStringLiteral("SELECT count(*) FROM Person")),
              QStringLiteral("2"));
    EXPECT_FALSE(QFileInfo::exists(CDatabaseBackup::partialPathOf(dbPath)));
}

TEST_F(RestoreTest, ARestoreIsRefusedWhenAnotherProgramHoldsTheFileOrTheBackupIsBad) {
    const QStringList before = names();
    {
        OutsideClient other(dbPath);
        EXPECT_EQ(restore(backupPath(), {}), 0);
        ASSERT_EQ(reported.size(), 1);
        EXPECT_EQ(reported.first(),
                  QStringLiteral("Tarvex.mdb is open in another program; close it and try again."));
        EXPECT_EQ(other.run(QStringLiteral("SELECT count(*) FROM Person")), QStringLiteral("2"));
    }
    EXPECT_EQ(names(), before);
    EXPECT_FALSE(QFileInfo::exists(keepPath()));

    // A damaged backup: a page in the middle overwritten.
    const QString damaged = path(QStringLiteral("damaged.mdb"));
    ASSERT_TRUE(QFile::copy(backupPath(), damaged));
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_GT(file.size(), 4 * 4096);
        file.seek(2 * 4096);
        file.write(QByteArray(4096, '\x5a'));
    }
    EXPECT_EQ(restore(damaged, {}), 0);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_FALSE(filedamage::isDamaged()) << "the backup's damage is not the file's";
    EXPECT_TRUE(reported.first().contains(QLatin1String("is damaged")))
        << reported.first().toStdString();

    // The file itself is no backup of itself.
    EXPECT_EQ(restore(dbPath, {}), 0);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().contains(QLatin1String("the contacts file itself")));
    EXPECT_EQ(restore(dbPath + QStringLiteral("-wal"), {}), 0);
    EXPECT_EQ(names(), before);
    EXPECT_TRUE(sharedDatabase().IsOpen());
}

TEST_F(EncryptedRestoreTest, AnEncryptedBackupNeedsItsPasswordAndBringsItAlong) {
    EXPECT_TRUE(backupfiles::isEncrypted(backupPath()));
    EXPECT_FALSE(backupfiles::isEncrypted(path(QStringLiteral("nothing.mdb"))));
    EXPECT_EQ(restore(backupPath(), QStringLiteral("wrong")), 0);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported.first(), QStringLiteral("Not a valid password."));
    EXPECT_EQ(names().size(), 2);

    // A backup written under another password: the file takes that password.
    CDatabase source;
    source.Open(backupPath(), false, true, connectText(password()));
    const QString other = path(QStringLiteral("other.mdb"));
    CDatabaseBackup(source, other).runToEnd();
    source.Close();
    {
        CDatabase rekey;
        rekey.Open(other, true, false, connectText(password()));
        rekey.SetPassword(password(), QStringLiteral("another"));
    }
    ASSERT_EQ(restore(other, QStringLiteral("another")), 1) << reported.join('\n').toStdString();
    EXPECT_EQ(currentPassword(), QStringLiteral("another"));
    EXPECT_EQ(names(), QStringList{QStringLiteral("In the backup")});
    EXPECT_EQ(personsIn(keepPath(), password()), QStringLiteral("2"));
}

TEST_F(RestoreTest, RestoringADamagedFileAllowsWritesAgain) {
    filedamage::noteDamage();
    ASSERT_EQ(restore(backupPath(), {}), 1) << reported.join('\n').toStdString();
    EXPECT_FALSE(filedamage::isDamaged());
    addNamed(sharedDatabase(), QStringLiteral("Writable"));
    EXPECT_EQ(names().size(), 2);
}
