#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTest>
#include <atomic>

#include "alarms/AlarmScheduler.h"
#include "platform/Clock.h"

using namespace std::chrono_literals;

namespace {

constexpr qint32 kBase = 1'800'000'000;  // 2027-01-15, a moment well inside 32-bit seconds

// Drives the scheduler with a clock the test sets, on the test's own thread as the user
// interface thread.
class AlarmSchedulerTest : public testing::Test {
protected:
    void SetUp() override {
        now = kBase;
        setClockForTesting([this] { return QDateTime::fromSecsSinceEpoch(now.load()); });
    }
    void TearDown() override {
        scheduler.reset();
        setClockForTesting({});
    }
    void start(AlarmTable table) {
        scheduler = std::make_unique<CAlarmScheduler>(&receiver, [this](qint32 id) {
            notices.push_back(id);
            if (onDue)
                onDue(id);
        });
        scheduler->setPollInterval(10ms);
        ASSERT_TRUE(scheduler->Start(std::move(table)));
    }
    // Lets the scanner run for a while, handling what it hands over.
    void runFor(std::chrono::milliseconds time) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < time.count())
            QTest::qWait(5);
    }

    std::atomic<qint64> now{kBase};
    QObject receiver;
    std::unique_ptr<CAlarmScheduler> scheduler;
    std::vector<qint32> notices;
    std::function<void(qint32)> onDue;
};

}  // namespace

TEST_F(AlarmSchedulerTest, AMomentEqualToTheCurrentSecondIsNotYetDue) {
    start({{7, kBase, 0}, {8, kBase + 5, 0}});
    runFor(100ms);
    EXPECT_TRUE(notices.empty());
    now = kBase + 1;
    runFor(100ms);
    EXPECT_EQ(notices, std::vector<qint32>{7});
    EXPECT_EQ(scheduler->dueAlarmId(), 7);
}

TEST_F(AlarmSchedulerTest, OverdueAlarmsFallDueInTheFirstPassOnceEach) {
    // Alarms due while the program was closed, two of them in one pass.
    start({{1, kBase - 86400, 0}, {2, kBase + 100, 0}, {3, kBase - 10, 0}});
    runFor(150ms);
    EXPECT_EQ(notices, (std::vector<qint32>{1, 3}));
}

TEST_F(AlarmSchedulerTest, TheScannerWaitsForEachNotificationToBeHandled) {
    std::atomic<bool> inHandler{false};
    bool overlapped = false;
    onDue = [&](qint32) {
        overlapped = overlapped || inHandler.exchange(true);
        // A slow handler: nothing else may be handed over meanwhile.
        runFor(30ms);
        inHandler = false;
    };
    start({{1, kBase - 1, 0}, {2, kBase - 1, 0}});
    runFor(200ms);
    EXPECT_EQ(notices.size(), 2u);
    EXPECT_FALSE(overlapped);
}

TEST_F(AlarmSchedulerTest, ARestartFromInsideTheNotificationLeavesOneScanner) {
    // As the notice does: the handled alarm has moved on, the table is rebuilt and restarted
    // while the scanner that sent the notification still waits for it.
    int restarts = 0;
    onDue = [&](qint32 id) {
        ++restarts;
        AlarmTable rebuilt{{2, kBase - 1, 0}};
        if (id == 2)
            rebuilt = {{2, kBase + 3600, 0}};
        ASSERT_TRUE(scheduler->Start(std::move(rebuilt)));
    };
    start({{1, kBase - 1, 0}, {2, kBase - 1, 0}});
    runFor(200ms);
    // Alarm 2 was still due in the old table, but that scanner is gone: the new table gives
    // its one notice.
    EXPECT_EQ(notices, (std::vector<qint32>{1, 2}));
    EXPECT_EQ(restarts, 2);
    EXPECT_EQ(scheduler->scannersAlive(), 1);
}

TEST_F(AlarmSchedulerTest, ANotificationPostedByAStoppedScannerIsDropped) {
    start({{5, kBase - 1, 0}});
    // The user-interface thread is busy (no events handled) while the alarm falls due; then
    // the scheduler is restarted over the same alarm, as a save elsewhere would do.
    QTest::qSleep(60);
    ASSERT_TRUE(scheduler->Start({{5, kBase - 1, 0}}));
    runFor(100ms);
    EXPECT_EQ(notices, std::vector<qint32>{5});
}

TEST_F(AlarmSchedulerTest, StopEndsTheScannerAtOnceEvenWhileItWaitsForTheHandler) {
    start({{1, kBase - 1, 0}});
    // Not handled yet: the scanner waits for the user-interface thread.
    QTest::qSleep(50);
    EXPECT_EQ(scheduler->scannersAlive(), 1);
    QElapsedTimer timer;
    timer.start();
    scheduler->Stop();
    // At once, not after the handler that never runs (a generous bound for a loaded machine).
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_EQ(scheduler->scannersAlive(), 0);
    EXPECT_FALSE(scheduler->isRunning());
    runFor(30ms);
    EXPECT_TRUE(notices.empty());
}

TEST_F(AlarmSchedulerTest, ADueAlarmAmongTenThousandIsNoticedWithinTheInterval) {
    AlarmTable table;
    for (qint32 id = 1; id <= 10'000; ++id)
        table.push_back({id, kBase + 3600 + id, 0});
    table[7'777].when = kBase + 1;
    start(std::move(table));
    runFor(50ms);
    EXPECT_TRUE(notices.empty());
    now = kBase + 2;
    QElapsedTimer timer;
    timer.start();
    while (notices.empty() && timer.elapsed() < 1000)
        QTest::qWait(1);
    EXPECT_EQ(notices, std::vector<qint32>{7'778});
    // The whole table is passed over every 10 ms: noticed in a pass or two, also on a loaded
    // machine.
    EXPECT_LT(timer.elapsed(), 200);
}
