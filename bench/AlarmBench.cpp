#include "AlarmBench.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QStringList>
#include <QTimer>

#include "BenchTable.h"
#include "alarms/AlarmScheduler.h"
#include "alarms/AlarmTable.h"
#include "data/Database.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"
#include "data/Transaction.h"

namespace {

constexpr int kWatched = 10000;

// Writes `count` pending alarms a day ahead; the one at `dueIndex` falls due `lead`
// seconds from now instead. Gives the due alarm's moment.
QDateTime writeAlarms(const QString& path, int dueIndex, int lead) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    CDatabase::Create(path, {});
    CDatabase db;
    db.Open(path);
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime due = QDateTime::fromSecsSinceEpoch(now.toSecsSinceEpoch() + lead);
    CTransaction transaction(db);
    CStatement insert(db, QStringLiteral("INSERT INTO [Alarm] ([name], [date], [time], [status]) "
                                         "VALUES (?1, ?2, ?2, 1)"));
    for (int i = 0; i < kWatched; ++i) {
        const QDateTime moment = i == dueIndex ? due : now.addDays(1).addSecs(i);
        insert.bind(1, QStringLiteral("Alarm %1").arg(i));
        insert.bind(2, toStoredDateTime(moment));
        insert.execute();
        insert.reset();
    }
    transaction.Commit();
    return due;
}

}  // namespace

void runAlarmBench(const QString& folder, BenchTable& benchTable) {
    const QString dir = QDir(folder).absoluteFilePath(QStringLiteral("alarms"));
    QDir().mkpath(dir);
    const QString path = QDir(dir).absoluteFilePath(QStringLiteral("Tarvex.mdb"));
    Timing rebuild;
    Timing engine;
    qint64 worst = 0;
    QStringList delays;
    for (const int dueIndex : {0, kWatched / 2, kWatched - 1}) {
        const QDateTime due = writeAlarms(path, dueIndex, 2);
        CDatabase db;
        db.Open(path);
        const Stopwatch timer;
        AlarmTable table = LoadAlarmTable(db);
        rebuild = rebuild + timer.elapsed();
        engine = engine + EngineConnection(path).time(
                              QStringLiteral("SELECT * FROM Alarm WHERE status = 1 ORDER BY date"));

        QObject receiver;
        QEventLoop loop;
        qint64 notifiedAt = -1;
        CAlarmScheduler scheduler(&receiver, [&](qint32) {
            notifiedAt = QDateTime::currentMSecsSinceEpoch();
            loop.quit();
        });
        scheduler.Start(std::move(table));
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        scheduler.Stop();
        // An alarm falls due once its second has passed: the moment 10:00:00 at 10:00:01.
        const qint64 fallsDue = (due.toSecsSinceEpoch() + 1) * 1000;
        const qint64 delay = notifiedAt < 0 ? -1 : notifiedAt - fallsDue;
        worst = std::max(worst, delay < 0 ? 5000 : delay);
        delays << QString::number(delay);
    }
    benchTable.add(QStringLiteral("alarm table rebuild, %1 watched (average)").arg(kWatched),
                   rebuild / 3, engine / 3);
    benchTable.add(QStringLiteral("alarm notice latency, %1 watched (worst)").arg(kWatched),
                   {double(worst), double(worst), rebuild.peakMiB}, kNoEngine,
                   QStringLiteral("ms after falling due: %1 (first, middle, last alarm)")
                       .arg(delays.join(QStringLiteral(", "))));
}
