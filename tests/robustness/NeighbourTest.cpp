#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "OutsideClient.h"
#include "ScriptedProgram.h"
#include "TempWorkDir.h"
#include "data/Database.h"
#include "data/Statement.h"

namespace {

// The real program in its self-test mode, driven line by line: it saves what its script
// says and stops at each "pause" until told to go on.
class ScriptedTarvex {
public:
    ScriptedTarvex(const QString& folder, const QString& name, const QString& script) {
        startScriptedProgram(m_process, folder, name, script);
    }
    ~ScriptedTarvex() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    // Waits for the next line the program prints ("saved ...", "paused"); empty when it
    // ended first.
    QByteArray nextLine() {
        while (!m_process.canReadLine()) {
            if (m_process.state() != QProcess::Running || !m_process.waitForReadyRead(30000))
                return m_process.canReadLine() ? m_process.readLine().trimmed() : QByteArray();
        }
        return m_process.readLine().trimmed();
    }
    // Reads up to the next pause; the lines before it.
    QList<QByteArray> untilPaused() {
        QList<QByteArray> lines;
        for (QByteArray line = nextLine(); !line.isEmpty() && line != "paused"; line = nextLine())
            lines.append(line);
        return lines;
    }
    void goOn() { m_process.write("\n"); }
    void kill() {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
    int waitForEnd() {
        EXPECT_TRUE(m_process.waitForFinished(60000));
        return m_process.exitCode();
    }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
};

QString passwordLine(const QString& password) {
    return password.isEmpty() ? QString() : QStringLiteral("password %1\n").arg(password);
}

}  // namespace

class NeighbourTest : public TempWorkDirTest {
protected:
    QString file() const { return path(QStringLiteral("Tarvex.mdb")); }

    // What another program finds in the file once every Tarvex has gone.
    void expectPersons(const QString& password, const QStringList& names) {
        CDatabase db;
        db.Open(file(), false, true,
                password.isEmpty() ? QString() : QStringLiteral(";PWD=") + password);
        CStatement check(db, QStringLiteral("PRAGMA integrity_check"));
        ASSERT_TRUE(check.step());
        EXPECT_EQ(check.text(0), QStringLiteral("ok"));
        for (const QString& name : names) {
            CStatement count(
                db, QStringLiteral("SELECT count(*) FROM Person WHERE lastname = '%1'").arg(name));
            ASSERT_TRUE(count.step());
            EXPECT_EQ(count.int64(0), 1) << name.toStdString();
        }
    }

    // Tarvex saves, another program (the sqlite3 or sqlcipher tool) reads the file and
    // closes, Tarvex saves again and is killed: both saves are in the file, and the outside
    // reader saw the first.
    void outsideReaderBetweenSaves(const QString& password) {
        ScriptedTarvex tarvex(
            dirPath(), QStringLiteral("script"),
            passwordLine(password) + QStringLiteral("person First\npause\nperson Second\npause\n"));
        ASSERT_EQ(tarvex.untilPaused(), QList<QByteArray>{"saved person First"});
        // While the program runs, it holds the engine's lock on the file.
        EXPECT_TRUE(processHoldsLockOn(tarvex.pid(), file()));
        EXPECT_EQ(OutsideClient::query(file(),
                                       QStringLiteral("SELECT count(*) FROM Person WHERE "
                                                      "lastname = 'First'"),
                                       password),
                  QStringLiteral("1"));
        EXPECT_TRUE(processHoldsLockOn(tarvex.pid(), file()));
        tarvex.goOn();
        ASSERT_EQ(tarvex.untilPaused(), QList<QByteArray>{"saved person Second"});
        // Other programs see the second save while Tarvex still runs.
        EXPECT_EQ(OutsideClient::query(file(),
                                       QStringLiteral("SELECT count(*) FROM Person WHERE "
                                                      "lastname = 'Second'"),
                                       password),
                  QStringLiteral("1"));
        tarvex.kill();
        expectPersons(password, {QStringLiteral("First"), QStringLiteral("Second")});
    }
};

TEST_F(NeighbourTest, AnOutsideReaderBetweenSavesLosesNothingAtAKill) {
    outsideReaderBetweenSaves(QString());
}

TEST_F(NeighbourTest, AnOutsideReaderOfTheEncryptedFileLosesNothingAtAKill) {
    outsideReaderBetweenSaves(QStringLiteral("s3cret"));
}

// A second Tarvex on the same folder starts, saves and closes normally between the first
// one's saves; the first one's later save is kept, whatever order they close in.
TEST_F(NeighbourTest, ASecondProgramClosedBetweenSavesLosesNothingAtAKill) {
    ScriptedTarvex first(dirPath(), QStringLiteral("first"),
                         QStringLiteral("person First\npause\nperson Third\npause\n"));
    ASSERT_EQ(first.untilPaused(), QList<QByteArray>{"saved person First"});
    {
        ScriptedTarvex second(dirPath(), QStringLiteral("second"),
                              QStringLiteral("person Second\n"));
        EXPECT_EQ(second.nextLine(), QByteArray("saved person Second"));
        EXPECT_EQ(second.waitForEnd(), 0);
    }
    EXPECT_TRUE(processHoldsLockOn(first.pid(), file()));
    first.goOn();
    ASSERT_EQ(first.untilPaused(), QList<QByteArray>{"saved person Third"});
    // A third program, started and ended after the first's save, sees it.
    {
        ScriptedTarvex third(dirPath(), QStringLiteral("third"), QStringLiteral("person Fourth\n"));
        EXPECT_EQ(third.nextLine(), QByteArray("saved person Fourth"));
        EXPECT_EQ(third.waitForEnd(), 0);
    }
    first.kill();
    expectPersons({}, {QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third"),
                       QStringLiteral("Fourth")});
}
