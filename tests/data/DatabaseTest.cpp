#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <functional>

#include "DataTestSupport.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/PersonRcs.h"
#include "data/Schema.h"
#include "data/Statement.h"

namespace {

int openError(const QString& path, const QString& connect = {}, bool exclusive = false) {
    CDatabase db;
    try {
        db.Open(path, exclusive, false, connect);
    } catch (const CDbException& error) {
        EXPECT_FALSE(error.description().isEmpty());
        EXPECT_FALSE(db.IsOpen());
        return error.code();
    }
    return 0;
}

QStringList lastNames(CDatabase& db, const QString& filter, const QString& sort = {}) {
    CPersonRcs persons(&db);
    persons.m_strFilter = filter;
    persons.m_strSort = sort;
    persons.Open();
    QStringList names;
    for (; !persons.IsEOF(); persons.MoveNext())
        names << persons.text(QStringLiteral("lastname"));
    return names;
}

}  // namespace

class DatabaseTest : public DataTest {};

TEST_F(DatabaseTest, OpenFailuresCarryTheEngineCode) {
    const QString missing = path(QStringLiteral("missing.mdb"));
    CDatabase db2;
    try {
        db2.Open(missing);
        FAIL();
    } catch (const CDbException& error) {
        EXPECT_EQ(error.description(), QStringLiteral("Could not find file '%1'.").arg(missing));
        EXPECT_EQ(error.helpContext(), QStringLiteral("db-not-found"));
    }
    EXPECT_FALSE(QFile::exists(missing));

    QFile damaged(path(QStringLiteral("damaged.mdb")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    QByteArray noise(8192, '\0');
    for (char& c : noise)
        c = static_cast<char>(QRandomGenerator::global()->bounded(256));
    damaged.write(noise);
    damaged.close();
    // Whole pages of noise are what an encrypted file looks like: it needs a password.
    EXPECT_EQ(openError(damaged.fileName()), SQLITE_AUTH);

    QFile text(path(QStringLiteral("text.mdb")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("Name;Phone\nMeier;0815\n").repeated(256));
    text.close();
    EXPECT_EQ(openError(text.fileName()), SQLITE_NOTADB);
    EXPECT_EQ(openError(text.fileName(), QStringLiteral(";PWD=x")), SQLITE_NOTADB);

    // The test's own connection is open: an exclusive one is refused.
    EXPECT_EQ(openError(dbPath, {}, true) & 0xFF, SQLITE_BUSY);

    QFile::setPermissions(dbPath, QFileDevice::ReadOwner);
    EXPECT_EQ(openError(dbPath), SQLITE_READONLY);
}

TEST_F(DatabaseTest, ExclusiveConnectionLocksOthersOut) {
    db.Close();
    CDatabase exclusive;
    exclusive.Open(dbPath, true);
    EXPECT_EQ(openError(dbPath) & 0xFF, SQLITE_BUSY);
    exclusive.Close();
    EXPECT_EQ(openError(dbPath), 0);
}

TEST_F(DatabaseTest, CreateRefusesAnExistingFile) {
    EXPECT_THROW(CDatabase::Create(dbPath, {}), CDbException);
    EXPECT_NO_THROW(lastNames(db, {}));
}

TEST_F(DatabaseTest, TextComparisonIgnoresCaseOfAllLetters) {
    CPersonRcs persons(&db);
    persons.Open();
    for (const char* name : {"müller", "Zorn", "MÜLLER", "apfel", "Ärger", "Brandt"})
        add(persons, {{"lastname", QString::fromUtf8(name)}});

    EXPECT_EQ(lastNames(db, QStringLiteral("lastname = 'MÜLLER'")).size(), 2);
    EXPECT_EQ(lastNames(db, QStringLiteral("[lastname] like 'mü*'")).size(), 2);
    EXPECT_EQ(lastNames(db, QStringLiteral("lastname like \"ärger\"")),
              QStringList{QString::fromUtf8("Ärger")});
    // The sort follows the same comparison ("apfel" before "Brandt", letters beyond ASCII
    // after "z" in character order).
    const QStringList sorted = lastNames(db, {}, QStringLiteral("lastname asc"));
    EXPECT_EQ(sorted.mid(0, 2), (QStringList{QStringLiteral("apfel"), QStringLiteral("Brandt")}));
    EXPECT_EQ(sorted.mid(2, 2).join(u',').toLower(), QString::fromUtf8("müller,müller"));
    EXPECT_EQ(sorted.mid(4), (QStringList{QStringLiteral("Zorn"), QString::fromUtf8("Ärger")}));
    EXPECT_EQ(lastNames(db, {}, QStringLiteral("lastname desc")).first(),
              QString::fromUtf8("Ärger"));

    // The index on the names agrees with the comparison.
    CStatement check(db, QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.step());
    EXPECT_EQ(check.text(0), QStringLiteral("ok"));
}

class EncryptedDatabaseTest : public DataTest {
protected:
    QString password() const override { return QStringLiteral("s3cret;pw"); }
};

TEST_F(EncryptedDatabaseTest, StoresNothingReadableAndNeedsThePassword) {
    CPersonRcs persons(&db);
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("Zyxwvutson")}, {"firm", QStringLiteral("Qqqfirm")}});
    persons.Close();
    db.Close();

    QFile file(dbPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.contains("Zyxwvutson"));
    EXPECT_FALSE(bytes.contains("Qqqfirm"));
    EXPECT_FALSE(bytes.contains("CREATE TABLE"));

    EXPECT_EQ(openError(dbPath, QStringLiteral(";PWD=wrong")), SQLITE_AUTH);
    EXPECT_EQ(openError(dbPath), SQLITE_AUTH);
    EXPECT_EQ(openError(dbPath, QStringLiteral(";pwd=s3cret;pw")), 0);
}

TEST_F(DatabaseTest, PasswordChangesKeepEveryRecordCounterAndQuery) {
    CPersonRcs persons(&db);
    persons.Open();
    for (const char* name : {"Adams", "Baker", "Clark"})
        add(persons, {{"lastname", QLatin1String(name)}, {"firstname", QStringLiteral("Jo")}});
    persons.MoveLast();
    persons.Delete();  // the counter stays at 3
    persons.Close();
    db.Close();

    const QStringList passwords = {QString(), QStringLiteral("first"), QStringLiteral("second"),
                                   QString()};
    for (int step = 1; step < passwords.size(); ++step) {
        CDatabase exclusive;
        exclusive.Open(dbPath, true, false, connectText(passwords[step - 1]));
        exclusive.SetPassword(passwords[step - 1], passwords[step]);
        exclusive.Close();
        // The old password no longer fits; a file left without one opens with any.
        EXPECT_EQ(openError(dbPath, connectText(passwords[step - 1])),
                  passwords[step].isEmpty() ? 0 : SQLITE_AUTH)
            << step;
        EXPECT_FALSE(QFile::exists(dbPath + QStringLiteral("-journal")));
        {
            // Read-only, so that no repair on opening could hide a lost schema version.
            CDatabase readOnly;
            readOnly.Open(dbPath, false, true, connectText(passwords[step]));
            CStatement version(readOnly, QStringLiteral("PRAGMA user_version"));
            ASSERT_TRUE(version.step());
            EXPECT_EQ(version.int64(0), schema::kSchemaVersion) << step;
        }

        CDatabase reopened;
        reopened.Open(dbPath, false, false, connectText(passwords[step]));
        EXPECT_EQ(lastNames(reopened, {}, QStringLiteral("lastname")),
                  (QStringList{QStringLiteral("Adams"), QStringLiteral("Baker")}));
        CRecordSet query(&reopened);
        query.Open(CRecordSet::dbOpenSnapshot, QStringLiteral("[PersonPersonQuery]"));
        EXPECT_EQ(query.GetRecordCount(), 2);
    }
    CDatabase plain;
    plain.Open(dbPath);
    CPersonRcs more(&plain);
    more.Open();
    EXPECT_EQ(add(more, {{"lastname", QStringLiteral("Davis")}}), 4);
    CStatement check(plain, QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.step());
    EXPECT_EQ(check.text(0), QStringLiteral("ok"));
}

TEST_F(EncryptedDatabaseTest, WrongOldPasswordChangesNothing) {
    db.Close();
    CDatabase exclusive;
    exclusive.Open(dbPath, true, false, connectText(password()));
    EXPECT_THROW(exclusive.SetPassword(QStringLiteral("guess"), QStringLiteral("new")),
                 CDbException);
    exclusive.Close();
    EXPECT_EQ(openError(dbPath, connectText(password())), 0);
    EXPECT_EQ(QDir(dirPath()).entryList(QDir::Files), QStringList{QStringLiteral("Tarvex.mdb")});
}

TEST_F(DatabaseTest, AFolderThatCannotBeWrittenIsNamed) {
    QDir(dirPath()).mkdir(QStringLiteral("locked"));
    const QString folder = path(QStringLiteral("locked"));
    const QString inside = folder + QStringLiteral("/Tarvex.mdb");
    CDatabase::Create(inside, {});
    const auto writable = QFile::permissions(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    for (const auto& attempt :
         {std::function<void()>([&] { CDatabase().Open(inside); }), std::function<void()>([&] {
              CDatabase::Create(folder + QStringLiteral("/New.mdb"), {});
          })}) {
        try {
            attempt();
            ADD_FAILURE() << "a read-only folder was not refused";
        } catch (const CDbException& error) {
            EXPECT_EQ(error.code(), SQLITE_READONLY);
            EXPECT_TRUE(error.description().contains(QStringLiteral("folder")));
            EXPECT_EQ(error.helpContext(), QStringLiteral("db-read-only"));
        }
    }
    // Reading needs no writing.
    EXPECT_NO_THROW(CDatabase().Open(inside, false, true));
    QFile::setPermissions(folder, writable);
}

TEST_F(EncryptedDatabaseTest, AWrongPasswordIsCalledSo) {
    db.Close();
    try {
        CDatabase().Open(dbPath, false, false, QStringLiteral(";PWD=guess"));
        FAIL();
    } catch (const CDbException& error) {
        EXPECT_EQ(error.description(), QStringLiteral("Not a valid password."));
        EXPECT_EQ(error.helpContext(), QStringLiteral("db-wrong-password"));
    }
}

TEST_F(DatabaseTest, AMisspeltColumnIsAnErrorNotAString) {
    // The engine would take an unknown double-quoted name for a text and find nothing.
    EXPECT_THROW(lastNames(db, QStringLiteral("[no column] = 'no column'")), CDbException);
    EXPECT_THROW(lastNames(db, {}, QStringLiteral("[no column] asc")), CDbException);
}
