#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <random>

#include "OutsideClient.h"
#include "ScriptedProgram.h"
#include "TempWorkDir.h"
#include "data/Database.h"
#include "data/Statement.h"

namespace {

// The saves of one run: each tag a person, its dossier, a contact and an alarm, every field
// of a record holding the same tag, so that a half-written record shows as a mismatch.
QString script(const QString& password, int first, int count) {
    QString text = password.isEmpty() ? QString() : QStringLiteral("password %1\n").arg(password);
    for (int n = first; n < first + count; ++n)
        text += QStringLiteral("person P%1\ndossier P%1\ncontact C%1\nalarm A%1\n").arg(n);
    return text;
}

struct Saved {
    QString kind;
    QString tag;
};

class CrashSafetyTest : public TempWorkDirTest {
protected:
    // The saves a program reported; only whole lines count, a line cut by a kill was not
    // reported.
    static QList<Saved> reportedSaves(QProcess& program) {
        QList<Saved> saved;
        const QList<QByteArray> lines = program.readAllStandardOutput().split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QList<QByteArray> words = lines[i].split(' ');
            if (words.size() == 3 && words[0] == "saved")
                saved.append({QString::fromUtf8(words[1]), QString::fromUtf8(words[2])});
        }
        return saved;
    }
    // Runs the program on the folder with a script and kills it after `delayMs`, or once
    // it has reported its first save when `delayMs` is negative; the saves it reported.
    QList<Saved> runAndKill(const QString& folder, const QString& scriptText, int delayMs) {
        QProcess program;
        startScriptedProgram(program, folder, QStringLiteral("script"), scriptText);
        if (delayMs < 0) {
            while (!program.canReadLine() && program.state() == QProcess::Running)
                program.waitForReadyRead(100);
        } else {
            // Another program reads the file and closes while this one saves: its close
            // must leave the running program's log alone.
            QThread::msleep(static_cast<unsigned long>(delayMs / 2));
            OutsideClient::query(folder + QStringLiteral("/Tarvex.mdb"),
                                 QStringLiteral("SELECT count(*) FROM sqlite_master"), m_password);
            QThread::msleep(static_cast<unsigned long>(delayMs / 2));
        }
        program.kill();
        program.waitForFinished(10000);
        return reportedSaves(program);
    }

    // Opens the file as another program would and checks it after a kill.
    static void expectSound(const QString& folder, const QString& password,
                            const QList<Saved>& reported) {
        CDatabase db;
        db.Open(folder + QStringLiteral("/Tarvex.mdb"), false, false,
                password.isEmpty() ? QString() : QStringLiteral(";PWD=") + password);
        const auto value = [&db](const QString& sql) {
            CStatement statement(db, sql);
            return statement.step() ? statement.text(0) : QString();
        };
        ASSERT_EQ(value(QStringLiteral("PRAGMA integrity_check")), "ok");
        // Nothing half-written: every record's fields agree with one another.
        EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM Person WHERE lastname IS NOT "
                                       "firstname OR lastname IS NULL")),
                  "0");
        EXPECT_EQ(value(QStringLiteral(
                      "SELECT count(*) FROM Contact WHERE person IS NOT firm OR person IS NULL")),
                  "0");
        EXPECT_EQ(value(QStringLiteral(
                      "SELECT count(*) FROM Alarm WHERE name IS NOT person OR name IS NULL")),
                  "0");
        EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM Sharks s LEFT JOIN Person p ON "
                                       "p.id = s.id_person WHERE s.buyer_pol IS NOT NULL AND "
                                       "s.buyer_pol IS NOT p.lastname")),
                  "0");
        for (const Saved& save : reported) {
            QString sql;
            if (save.kind == QLatin1String("person"))
                sql = QStringLiteral("SELECT count(*) FROM Person WHERE lastname = '%1'");
            else if (save.kind == QLatin1String("dossier"))
                sql = QStringLiteral("SELECT count(*) FROM Sharks WHERE buyer_pol = '%1'");
            else if (save.kind == QLatin1String("contact"))
                sql = QStringLiteral("SELECT count(*) FROM Contact WHERE person = '%1'");
            else
                sql = QStringLiteral("SELECT count(*) FROM Alarm WHERE name = '%1'");
            EXPECT_EQ(value(sql.arg(save.tag)), "1") << qPrintable(save.kind + ' ' + save.tag);
        }
    }

    static void expectWholeIni(const QString& folder) {
        QFile ini(folder + QStringLiteral("/Tarvex.ini"));
        if (!ini.exists())
            return;
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        ASSERT_TRUE(text.isEmpty() || text.endsWith('\n'));
        for (const QByteArray& line : text.split('\n')) {
            const QByteArray trimmed = line.trimmed();
            EXPECT_TRUE(trimmed.isEmpty() || (trimmed.startsWith('[') && trimmed.endsWith(']')) ||
                        trimmed.contains('='))
                << line.toStdString();
        }
    }

    // 25 runs on one folder, each killed at a random moment, the file checked after each.
    void killRepeatedly(const QString& password) {
        m_password = password;
        const QString folder = dirPath() + (password.isEmpty() ? "/plain" : "/secret");
        ASSERT_TRUE(QDir().mkpath(folder));
        std::mt19937 random(20261208u + static_cast<unsigned>(password.size()));
        std::uniform_int_distribution<int> delay(100, 700);
        constexpr int runs = 25;
        constexpr int savesPerRun = 400;
        int reportedTotal = 0;
        for (int run = 0; run < runs; ++run) {
            const QList<Saved> reported =
                runAndKill(folder, script(password, run * savesPerRun, savesPerRun),
                           run == 0 ? -1 : delay(random));
            reportedTotal += static_cast<int>(reported.size());
            SCOPED_TRACE(run);
            expectSound(folder, password, reported);
            expectWholeIni(folder);
            if (HasFailure())
                return;
        }
        EXPECT_GT(reportedTotal, runs) << "the kills came too early to interrupt saves";
    }

    QString m_password;
};

}  // namespace

TEST_F(CrashSafetyTest, KilledWhileSavingTheFileKeepsEveryReportedSave) {
    killRepeatedly(QString());
}

TEST_F(CrashSafetyTest, KilledWhileSavingTheEncryptedFileKeepsEveryReportedSave) {
    killRepeatedly(QStringLiteral("s3cret"));
}

TEST_F(CrashSafetyTest, TwoProgramsSavingIntoOneFileKeepEachOthersSaves) {
    const QString folder = dirPath();
    // The first program creates the file; then both save at the same time.
    ASSERT_EQ(runAndKill(folder, script(QString(), 0, 1), -1).size(), 1);
    QProcess first;
    QProcess second;
    startScriptedProgram(first, folder, QStringLiteral("first"), script(QString(), 1000, 60));
    startScriptedProgram(second, folder, QStringLiteral("second"), script(QString(), 2000, 60));
    ASSERT_TRUE(first.waitForFinished(60000));
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(second.exitCode(), 0);
    const QList<Saved> reported = reportedSaves(first) + reportedSaves(second);
    EXPECT_EQ(reported.size(), 2 * 60 * 4);
    expectSound(folder, QString(), reported);
}
