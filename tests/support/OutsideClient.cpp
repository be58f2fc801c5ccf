#include "OutsideClient.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QFile>
#include <QStringList>

namespace {

// The tool and the statements that open the file before the caller's.
QString toolFor(const QString& password) {
    return password.isEmpty() ? QStringLiteral("sqlite3") : QStringLiteral("sqlcipher");
}

// The first lines of every session: the client waits for a lock as Tarvex does, and an
// encrypted file gets its key.
QString keyStatements(const QString& password) {
    QString lines = QStringLiteral(".timeout 5000\n");
    if (password.isEmpty())
        return lines;
    QString quoted = password;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return lines + QStringLiteral("PRAGMA key = '%1';\n").arg(quoted);
}

// Printed after each batch, so that run() knows its output is complete.
const QByteArray endMark = "--end-of-batch--";

}  // namespace

QString OutsideClient::query(const QString& path, const QString& sql, const QString& password) {
    QProcess process;
    process.start(toolFor(password), {QStringLiteral("-batch"), path});
    EXPECT_TRUE(process.waitForStarted(10000)) << "the outside client could not start";
    process.write((keyStatements(password) + sql + QStringLiteral(";\n")).toUtf8());
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QString out = QString::fromUtf8(process.readAllStandardOutput());
    while (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    // The key pragma of the sqlcipher tool prints nothing; older tools may print "ok".
    if (!password.isEmpty() && out.startsWith(QLatin1String("ok\n")))
        out = out.mid(3);
    return out;
}

OutsideClient::OutsideClient(const QString& path, const QString& password) {
    m_process.start(toolFor(password), {QStringLiteral("-batch"), path});
    EXPECT_TRUE(m_process.waitForStarted(10000)) << "the outside client could not start";
    m_process.write(keyStatements(password).toUtf8());
    run(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

OutsideClient::~OutsideClient() {
    if (m_process.state() != QProcess::NotRunning)
        finish();
}

QString OutsideClient::run(const QString& sql) {
    m_process.write((sql + QStringLiteral(";\nSELECT '") + QString::fromLatin1(endMark) +
                     QStringLiteral("';\n"))
                        .toUtf8());
    QByteArray out;
    while (!out.contains(endMark)) {
        if (!m_process.waitForReadyRead(30000)) {
            ADD_FAILURE() << "the outside client did not answer: "
                          << m_process.readAllStandardError().toStdString();
            return {};
        }
        out += m_process.readAllStandardOutput();
    }
    QString text = QString::fromUtf8(out.left(out.indexOf(endMark)));
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

void OutsideClient::finish() {
    m_process.write(".quit\n");
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(10000))
        m_process.kill();
}

bool processHoldsLockOn(qint64 pid, const QString& path) {
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    // A line: "1: POSIX  ADVISORY  READ 1234 08:01:5678 128 128" (pid, major:minor:inode).
    const QString device = QStringLiteral("%1:%2:%3")
                               .arg(major(info.st_dev), 2, 16, QLatin1Char('0'))
                               .arg(minor(info.st_dev), 2, 16, QLatin1Char('0'))
                               .arg(info.st_ino);
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QStringList words =
            QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // Waiting locks are marked "->" and shift the columns by one.
        if (words.size() < 6 || words[1] == QLatin1String("->"))
            continue;
        if (words[1] == QLatin1String("POSIX") && words[4].toLongLong() == pid &&
            words[5] == device)
            return true;
    }
    return false;
}
