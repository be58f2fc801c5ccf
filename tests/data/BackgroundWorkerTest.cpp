#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QSignalSpy>
#include <atomic>
#include <latch>

#include "DataTestSupport.h"
#include "data/BackgroundWorker.h"
#include "data/Statement.h"

namespace {

using Delivery = CBackgroundWorker::Delivery;

// Counts to twenty million: seconds of work unless it is stopped.
const QString kLongStatement = QStringLiteral(
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000000) "
    "SELECT count(*) FROM n");

// The primary result code of a statement run to its end on `db`: SQLITE_DONE/ROW when it
// ran, SQLITE_INTERRUPT when it was stopped.
int outcome(CDatabase& db, const QString& sql) {
    try {
        CStatement statement(db, sql);
        return statement.step() ? SQLITE_ROW : SQLITE_DONE;
    } catch (const CDbException& error) {
        return error.code() & 0xFF;
    }
}

class BackgroundWorkerTest : public DataTest {};

}  // namespace

TEST_F(BackgroundWorkerTest, AStopAskedForBeforeTheStatementStartsIsHonoured) {
    // The file check is one long step of the engine; the count is many short ones.
    for (const QString& sql : {QStringLiteral("PRAGMA quick_check(1)"), kLongStatement}) {
        CBackgroundWorker worker;
        std::latch entered(1);
        std::latch stopped(1);
        std::atomic<int> result = 0;
        worker.start(dbPath, {}, [&](CDatabase& on, const std::stop_token&) -> Delivery {
            entered.count_down();
            stopped.wait();
            result = outcome(on, sql);
            return {};
        });
        entered.wait();
        worker.stop();
        stopped.count_down();
        worker.wait();
        EXPECT_EQ(result, SQLITE_INTERRUPT) << sql.toStdString();
    }
}

TEST_F(BackgroundWorkerTest, TheResultOfAReplacedJobIsDropped) {
    CBackgroundWorker worker;
    QSignalSpy finished(&worker, &CBackgroundWorker::finished);
    QStringList delivered;
    const auto job = [&delivered](const QString& name) {
        return [&delivered, name](CDatabase& on, const std::stop_token&) -> Delivery {
            const int rows = outcome(on, QStringLiteral("SELECT count(*) FROM Person"));
            return [&delivered, name, rows] {
                if (rows == SQLITE_ROW)
                    delivered << name;
            };
        };
    };
    // Both results are on their way, the first one's first.
    worker.start(dbPath, {}, job(QStringLiteral("first")));
    worker.wait();
    worker.start(dbPath, {}, job(QStringLiteral("second")));
    worker.wait();
    EXPECT_TRUE(worker.busy());
    ASSERT_TRUE(finished.wait());
    EXPECT_EQ(delivered, QStringList{QStringLiteral("second")});
    EXPECT_FALSE(worker.busy());
    EXPECT_EQ(finished.count(), 1);

    // A stopped job's result is dropped as well.
    worker.start(dbPath, {}, job(QStringLiteral("third")));
    worker.wait();
    worker.stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, QStringList{QStringLiteral("second")});
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(BackgroundWorkerTest, AFailureGoesToItsHandlerOnTheUserInterfaceThread) {
    CBackgroundWorker worker;
    QSignalSpy finished(&worker, &CBackgroundWorker::finished);
    QString reported;
    worker.start(
        path(QStringLiteral("missing.mdb")), {},
        [](CDatabase&, const std::stop_token&) -> Delivery { return {}; },
        [&reported](const CDbException& error) { reported = error.description(); });
    ASSERT_TRUE(finished.wait());
    EXPECT_TRUE(reported.contains(QStringLiteral("missing.mdb")));
}
