#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <optional>

#include "DataTestSupport.h"
#include "OutsideClient.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/FolderFileSystem.h"
#include "data/PersonRcs.h"
#include "data/Statement.h"

namespace {

QString firstValue(CDatabase& db, const QString& sql) {
    CStatement statement(db, sql);
    return statement.step() ? statement.text(0) : QString();
}

// Reports the file system type given instead of asking statfs, while it lives.
class InjectedFileSystem {
public:
    explicit InjectedFileSystem(quint64 type) {
        folderfs::setTypeProbeForTesting(
            [type](const QString&) -> std::optional<quint64> { return type; });
    }
    ~InjectedFileSystem() { folderfs::setTypeProbeForTesting(nullptr); }
};

constexpr quint64 kExt4 = 0xEF53;
constexpr quint64 kNfs = 0x6969;
constexpr quint64 kCifs = 0xFF534D42;
constexpr quint64 kFuse = 0x65735546;

}  // namespace

class FileSafetyTest : public DataTest {
protected:
    void addPerson(CDatabase& on, const QString& name) {
        CPersonRcs persons(&on);
        persons.Open();
        add(persons, {{"lastname", name}});
    }
    QString outsideCount(const QString& name) {
        return OutsideClient::query(
            dbPath, QStringLiteral("SELECT count(*) FROM Person WHERE lastname = '%1'").arg(name),
            password());
    }
};

class EncryptedFileSafetyTest : public FileSafetyTest {
protected:
    QString password() const override { return QStringLiteral("s3cret"); }
};

// Every connection this process opens (a list's, a search's, the integrity check's) must
// leave the engine's locks of the others in place: with them gone, another program that
// closes takes itself for the last one and removes the write-ahead log this one writes to.
TEST_F(FileSafetyTest, OpeningMoreConnectionsKeepsTheFileLockedAndTheLogInPlace) {
    addPerson(db, QStringLiteral("Before"));
    {
        CDatabase reader;
        reader.Open(dbPath, false, true);
        CDatabase writer;
        writer.Open(dbPath);
    }
    EXPECT_TRUE(processHoldsLockOn(getpid(), dbPath));
    EXPECT_EQ(outsideCount(QStringLiteral("Before")), QStringLiteral("1"));
    // The outside program has come and gone; the log it found in use is still there.
    EXPECT_TRUE(QFileInfo::exists(dbPath + QStringLiteral("-wal")));
    addPerson(db, QStringLiteral("After"));
    EXPECT_EQ(outsideCount(QStringLiteral("After")), QStringLiteral("1"));
}

TEST_F(EncryptedFileSafetyTest, OpeningMoreConnectionsKeepsTheEncryptedFileLocked) {
    addPerson(db, QStringLiteral("Before"));
    {
        CDatabase reader;
        reader.Open(dbPath, false, true, connectText(password()));
    }
    EXPECT_TRUE(processHoldsLockOn(getpid(), dbPath));
    EXPECT_EQ(outsideCount(QStringLiteral("Before")), QStringLiteral("1"));
    addPerson(db, QStringLiteral("After"));
    EXPECT_EQ(outsideCount(QStringLiteral("After")), QStringLiteral("1"));
}

// Setting or removing the password replaces the file; another program that has it open
// would be left writing into the old one. It is refused, and nothing changes.
TEST_F(FileSafetyTest, APasswordIsNotSetWhileAnotherProgramHoldsTheFile) {
    addPerson(db, QStringLiteral("Kept"));
    db.Close();
    openSharedDatabase({});
    OutsideClient other(dbPath);
    QStringList reported;
    const auto report = [&reported](const CDbException& error) { reported << error.description(); };
    EXPECT_EQ(changeDatabasePassword(dbPath, {}, QStringLiteral("new"), report), 0);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported.first(),
              QStringLiteral("Tarvex.mdb is open in another program; close it and try again."));
    EXPECT_EQ(currentPassword(), QString());
    ASSERT_TRUE(sharedDatabase().IsOpen());
    EXPECT_EQ(other.run(QStringLiteral("SELECT count(*) FROM Person")), QStringLiteral("1"));
    addPerson(sharedDatabase(), QStringLiteral("Later"));
    EXPECT_EQ(other.run(QStringLiteral("SELECT count(*) FROM Person")), QStringLiteral("2"));

    // Once the other program has closed, the password is set.
    other.finish();
    reported.clear();
    EXPECT_EQ(changeDatabasePassword(dbPath, {}, QStringLiteral("new"), report), 1);
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_EQ(OutsideClient::query(dbPath, QStringLiteral("SELECT count(*) FROM Person"),
                                   QStringLiteral("new")),
              QStringLiteral("2"));
}

TEST_F(EncryptedFileSafetyTest, ThePasswordIsNotRemovedWhileAnotherProgramHoldsTheFile) {
    addPerson(db, QStringLiteral("Kept"));
    db.Close();
    openSharedDatabase(password());
    OutsideClient other(dbPath, password());
    int failures = 0;
    EXPECT_EQ(changeDatabasePassword(dbPath, password(), {},
                                     [&failures](const CDbException&) { ++failures; }),
              0);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(currentPassword(), password());
    EXPECT_EQ(other.run(QStringLiteral("SELECT lastname FROM Person")), QStringLiteral("Kept"));
}

TEST_F(FileSafetyTest, NetworkFileSystemsKeepTheRollbackJournalAndLocalDisksTheLog) {
    EXPECT_EQ(db.journalMode(), QStringLiteral("wal"));
    EXPECT_EQ(db.networkFileSystem(), QString());
    db.Close();
    for (const auto& [type, name] :
         {std::pair{kNfs, "nfs"}, std::pair{kCifs, "cifs"}, std::pair{kFuse, "fuse"}}) {
        SCOPED_TRACE(name);
        const InjectedFileSystem network(type);
        // A file made on a local disk and moved to a share is taken out of the log.
        db.Open(dbPath);
        EXPECT_EQ(db.journalMode(), QStringLiteral("delete"));
        EXPECT_EQ(db.networkFileSystem(), QLatin1String(name));
        EXPECT_EQ(firstValue(db, QStringLiteral("PRAGMA journal_mode")), QStringLiteral("delete"));
        addPerson(db, QString::fromLatin1(name));
        EXPECT_FALSE(QFileInfo::exists(dbPath + QStringLiteral("-wal")));
        db.Close();
    }
    {
        const InjectedFileSystem network(kNfs);
        const QString created = path(QStringLiteral("new.mdb"));
        CDatabase::Create(created, {});
        CDatabase fresh;
        fresh.Open(created);
        EXPECT_EQ(firstValue(fresh, QStringLiteral("PRAGMA journal_mode")),
                  QStringLiteral("delete"));
    }
    const InjectedFileSystem local(kExt4);
    db.Open(dbPath);
    EXPECT_EQ(db.journalMode(), QStringLiteral("wal"));
    EXPECT_EQ(firstValue(db, QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
    EXPECT_EQ(firstValue(db, QStringLiteral("SELECT count(*) FROM Person")), QStringLiteral("3"));
}

TEST(FolderFileSystemTest, NamesNetworkTypesAndAsksTheRealFolder) {
    EXPECT_EQ(folderfs::networkName(kNfs), QStringLiteral("nfs"));
    EXPECT_EQ(folderfs::networkName(0xFE534D42), QStringLiteral("smb2"));
    EXPECT_EQ(folderfs::networkName(kExt4), QString());
    EXPECT_EQ(folderfs::networkName(0x01021994), QString());  // tmpfs
    EXPECT_TRUE(folderfs::typeOf(QStringLiteral("/")).has_value());
    EXPECT_FALSE(folderfs::typeOf(QStringLiteral("/no/such/folder")).has_value());
    EXPECT_EQ(folderfs::networkFileSystemOf(QStringLiteral("/no/such/folder")), QString());
}
