#include "AlarmFixture.h"
#include "alarms/AlarmStatus.h"
#include "data/ChangeNotifier.h"
#include "exchange/ContactImport.h"

namespace {

// An alarm falls due while an import runs: the import's progress runs the event loop
// inside its transaction, as the progress dialog does.
class NoticeDuringImportTest : public AlarmFrameTest {
protected:
    void SetUp() override {
        AlarmFrameTest::SetUp();
        ids = addAlarms({{"Call the bank", at(2026, 6, 10, 12, 30), alarmstatus::EveryDay}});
        for (const char* name : {"Able", "Baker", "Carter"}) {
            CExchangeRecord record;
            record.values.insert(QStringLiteral("lastname"), QLatin1String(name));
            read.records << record;
        }
        startAlarmFrame();
        frame->RestartAlarmScheduler();
    }

    // Imports, letting the alarm fall due after the first record; `going` says whether the
    // import goes on after the notice or is cancelled there.
    CImportSummary importWithNotice(bool going) {
        return importRecords(sharedDatabase(), read, false, [&](qsizetype done, qsizetype) {
            if (done != 1)
                return true;
            setNow(at(2026, 6, 10, 12, 30, 1));
            noticeArrived = waitForNotices(1);
            // Nothing of the notice has run within the import's transaction.
            dateDuringImport = alarmDateOnTheImportsConnection();
            noticeShownDuringImport = noticeShown();
            return going;
        });
    }
    QDateTime alarmDateOnTheImportsConnection() {
        CAlarmRcs alarm(&sharedDatabase());
        alarm.m_strFilter = QStringLiteral("id = %1").arg(ids[0]);
        alarm.Open();
        return alarm.dateTime(QStringLiteral("date"));
    }
    bool noticeShown() const { return !notices().isEmpty() && notices().front()->isVisible(); }

    std::vector<qint32> ids;
    CReadResult read;
    bool noticeArrived = false;
    bool noticeShownDuringImport = true;
    QDateTime dateDuringImport;
};

TEST_F(NoticeDuringImportTest, TheNoticeIsAppliedAfterTheCommitOnce) {
    const CImportSummary summary = importWithNotice(true);
    EXPECT_EQ(summary.persons, 3);
    ASSERT_TRUE(noticeArrived);
    EXPECT_FALSE(noticeShownDuringImport);
    EXPECT_EQ(dateDuringImport, at(2026, 6, 10, 12, 30));
    // What the import dialog does after its commit.
    changeNotifier().announce(DataChange::all());
    EXPECT_TRUE(QTest::qWaitFor([&] { return noticeShown(); }, 2000));
    EXPECT_EQ(storedAlarm(ids[0]).date, at(2026, 6, 11, 12, 30));
    settle(150);
    EXPECT_EQ(notices().size(), 1);
    EXPECT_EQ(storedAlarm(ids[0]).date, at(2026, 6, 11, 12, 30));
}

TEST_F(NoticeDuringImportTest, AfterACancelTheAdvanceIsNeitherLostNorDoubled) {
    const CImportSummary summary = importWithNotice(false);
    EXPECT_TRUE(summary.cancelled);
    ASSERT_TRUE(noticeArrived);
    EXPECT_FALSE(noticeShownDuringImport);
    EXPECT_EQ(dateDuringImport, at(2026, 6, 10, 12, 30));
    EXPECT_TRUE(QTest::qWaitFor([&] { return noticeShown(); }, 2000));
    EXPECT_EQ(storedAlarm(ids[0]).date, at(2026, 6, 11, 12, 30));
    settle(150);
    EXPECT_EQ(notices().size(), 1);
    EXPECT_EQ(storedAlarm(ids[0]).date, at(2026, 6, 11, 12, 30));
}

}  // namespace
