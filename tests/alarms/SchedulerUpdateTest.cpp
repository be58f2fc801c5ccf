#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTest>
#include <map>

#include "alarms/AlarmScheduler.h"
#include "alarms/AlarmTable.h"
#include "alarms/SchedulerUpdate.h"
#include "data/ChangeNotifier.h"
#include "data/DataTestSupport.h"
#include "platform/Clock.h"

using namespace std::chrono_literals;

namespace {

std::map<qint32, qint32> momentsOf(const AlarmTable& table) {
    std::map<qint32, qint32> moments;
    for (const AlarmEntry& entry : table)
        moments[entry.id] = entry.when;
    return moments;
}

class SchedulerUpdateTest : public DataTest {
protected:
    void TearDown() override {
        scheduler.reset();
        setClockForTesting({});
        DataTest::TearDown();
    }
    void start(AlarmTable table) {
        scheduler = std::make_unique<CAlarmScheduler>(&receiver,
                                                      [this](qint32 id) { notices.push_back(id); });
        scheduler->setPollInterval(10ms);
        ASSERT_TRUE(scheduler->Start(std::move(table)));
    }

    QObject receiver;
    std::unique_ptr<CAlarmScheduler> scheduler;
    std::vector<qint32> notices;
};

TEST_F(SchedulerUpdateTest, RandomWritesKeepTheScannersTableEqualToAFullRead) {
    start(LoadAlarmTable(db));
    bool refused = false;
    const QMetaObject::Connection heard =
        QObject::connect(&changeNotifier(), &CChangeNotifier::changed, [&](const DataChange& c) {
            refused = refused || !UpdateSchedulerAfter(c, *scheduler, db);
        });
    QRandomGenerator random(17);
    const auto moment = [&]() -> QVariant {
        if (random.bounded(6) == 0)
            return QVariant();
        return QStringLiteral("2031-%1-%2 %3:%4:00")
            .arg(random.bounded(1, 13), 2, 10, QChar(u'0'))
            .arg(random.bounded(1, 29), 2, 10, QChar(u'0'))
            .arg(random.bounded(24), 2, 10, QChar(u'0'))
            .arg(random.bounded(60), 2, 10, QChar(u'0'));
    };
    const auto status = [&]() -> QVariant {
        const int code = random.bounded(-1, 7);
        return code < 0 ? QVariant() : QVariant(code);
    };
    std::vector<qint64> ids;
    for (int step = 0; step < 300; ++step) {
        const int action = ids.empty() ? 0 : random.bounded(4);
        if (action == 0) {
            CStatement insert(db, QStringLiteral("INSERT INTO Alarm (name, date, time, status) "
                                                 "VALUES ('a', ?1, ?2, ?3)"));
            insert.bind(1, moment());
            insert.bind(2, moment());
            insert.bind(3, status());
            insert.execute();
            CStatement last(db, QStringLiteral("SELECT max(id) FROM Alarm"));
            last.step();
            ids.push_back(last.int64(0));
        } else {
            const std::size_t at = random.bounded(static_cast<quint32>(ids.size()));
            if (action == 3) {
                CStatement erase(db, QStringLiteral("DELETE FROM Alarm WHERE id = ?1"));
                erase.bind(1, ids[at]);
                erase.execute();
                ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(at));
            } else {
                const char* column = action == 1 ? "status" : (random.bounded(2) ? "date" : "time");
                CStatement update(
                    db, QStringLiteral("UPDATE Alarm SET %1 = ?1 WHERE id = ?2").arg(column));
                update.bind(1, action == 1 ? status() : moment());
                update.bind(2, ids[at]);
                update.execute();
            }
        }
        ASSERT_EQ(momentsOf(scheduler->watched()), momentsOf(LoadAlarmTable(db)))
            << "step " << step;
    }
    QObject::disconnect(heard);
    EXPECT_FALSE(refused);
    EXPECT_EQ(scheduler->scannersAlive(), 1);
}

TEST_F(SchedulerUpdateTest, AnUpdatedAlarmIsNotifiedAgainOnlyWhenItsMomentMoved) {
    const qint32 base = 1'800'000'000;
    setClockForTesting([base] { return QDateTime::fromSecsSinceEpoch(base); });
    start({{1, base - 10, 0}, {2, base + 3600, 0}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return notices.size() == 1; }, 2000));
    // Another column of the alarm was written: its moment is the same, it stays notified.
    ASSERT_TRUE(scheduler->Update({{1, base - 10, 0}}, {}));
    QTest::qWait(60);
    EXPECT_EQ(notices.size(), 1u);
    // A new moment that is already past falls due again; a deleted alarm never does.
    ASSERT_TRUE(scheduler->Update({{1, base - 5, 0}}, std::vector<qint32>{2}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return notices.size() == 2; }, 2000));
    EXPECT_EQ(momentsOf(scheduler->watched()), (std::map<qint32, qint32>{{1, base - 5}}));
    // Without a scanner, the caller is told to read the table in full.
    scheduler->Stop();
    EXPECT_FALSE(scheduler->Update({{3, base, 0}}, {}));
    EXPECT_FALSE(UpdateSchedulerAfter(DataChange::all(), *scheduler, db));
}

}  // namespace
