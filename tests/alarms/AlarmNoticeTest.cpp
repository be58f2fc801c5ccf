#include <QFile>
#include <QLineEdit>

#include "AlarmFixture.h"
#include "alarms/AlarmSound.h"
#include "alarms/AlarmSoundSource.h"
#include "alarms/AlarmStatus.h"
#include "forms/TypeAheadComboBox.h"
#include "platform/CommandIcon.h"

class AlarmNoticeTest : public AlarmFrameTest {};

TEST_F(AlarmNoticeTest, ADueAlarmIsShownAdvancedSavedAndShownInTheForm) {
    const std::vector<qint32> ids =
        addAlarms({{"Call the bank", at(2026, 6, 10, 11, 30), alarmstatus::EveryDay, "Novak Ana",
                    "Banka d.d.", "about the loan"},
                   {"Later", at(2026, 6, 20, 9, 0)}});
    startAlarmFrame();
    frame->showMinimized();
    frame->RestartAlarmScheduler();
    ASSERT_TRUE(waitForNotices(1));
    CAlarmNotice* notice = notices().front();
    EXPECT_EQ(notice->windowTitle(), "Alarm");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->alarmId(), ids[0]);
    EXPECT_EQ(notice->text(1100), "2026/06/10 11:30:00");
    EXPECT_EQ(notice->text(1018), "Banka d.d.");
    EXPECT_EQ(notice->text(1017), "Novak Ana");
    EXPECT_EQ(notice->text(1098), "Call the bank");
    EXPECT_EQ(notice->text(1021), "about the loan");
    for (QLineEdit* text : notice->findChildren<QLineEdit*>())
        EXPECT_TRUE(text->isReadOnly());
    // The main window came back from its minimised state.
    EXPECT_FALSE(frame->isMinimized());

    // Saved before the user does anything: the next day at the same time.
    const StoredAlarm stored = storedAlarm(ids[0]);
    EXPECT_EQ(stored.status, alarmstatus::EveryDay);
    EXPECT_EQ(stored.date, at(2026, 6, 11, 11, 30));
    EXPECT_EQ(stored.time, at(2026, 6, 10, 11, 30));

    CAlarmFView* form = alarmForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->OnGetRecordset()->longValue("id"), ids[0]);
    EXPECT_EQ(form->statusList()->currentText(), "Every day");
    // The scheduler runs on over the saved alarm: no second notice.
    settle(150);
    EXPECT_EQ(notices().size(), 1);
    EXPECT_EQ(frame->alarmScheduler().scannersAlive(), 1);

    // Closing the notice changes nothing more.
    notice->close();
    settle(20);
    EXPECT_TRUE(notices().isEmpty());
    EXPECT_EQ(storedAlarm(ids[0]).date, at(2026, 6, 11, 11, 30));

    // The restarted scheduler watches the saved moment: the next day's notice comes on time.
    setNow(at(2026, 6, 11, 11, 30, 0));
    settle(60);
    EXPECT_TRUE(notices().isEmpty());
    setNow(at(2026, 6, 11, 11, 30, 1));
    ASSERT_TRUE(waitForNotices(1));
    EXPECT_EQ(storedAlarm(ids[0]).date, at(2026, 6, 12, 11, 30));
}

TEST_F(AlarmNoticeTest, AnAlarmWrittenAnywhereIsWatchedOnceItsWriteIsCommitted) {
    startAlarmFrame();
    frame->RestartAlarmScheduler();
    addAlarms({{"Written elsewhere", at(2026, 6, 10, 11, 0)}});
    ASSERT_TRUE(waitForNotices(1));
    EXPECT_EQ(notices().front()->text(1098), "Written elsewhere");
}

TEST_F(AlarmNoticeTest, TwoAlarmsDueTogetherGiveTwoNoticesEachWithItsTexts) {
    const std::vector<qint32> ids =
        addAlarms({{"First", at(2026, 6, 10, 8, 0)}, {"Second", at(2026, 6, 9, 17, 0)}});
    startAlarmFrame();
    frame->RestartAlarmScheduler();
    ASSERT_TRUE(waitForNotices(2));
    QStringList subjects;
    for (CAlarmNotice* notice : notices())
        subjects << notice->text(1098);
    subjects.sort();
    EXPECT_EQ(subjects, (QStringList{"First", "Second"}));
    for (qint32 id : ids)
        EXPECT_EQ(storedAlarm(id).status, alarmstatus::Done);
    settle(100);
    EXPECT_EQ(notices().size(), 2);
    // Esc closes one notice; the other stays.
    QTest::keyClick(notices().front(), Qt::Key_Escape);
    settle(20);
    EXPECT_EQ(notices().size(), 1);
}

TEST_F(AlarmNoticeTest, AMonthlyAlarmOverdueByThreeMonthsGivesThreeNotices) {
    const std::vector<qint32> ids =
        addAlarms({{"Rent", at(2026, 4, 1, 10, 0), alarmstatus::EveryMonth}});
    startAlarmFrame();
    frame->RestartAlarmScheduler();
    // April, May and June 1st 10:00 have all passed on June 10th.
    ASSERT_TRUE(waitForNotices(3));
    settle(150);
    EXPECT_EQ(notices().size(), 3);
    EXPECT_EQ(storedAlarm(ids[0]).date, at(2026, 7, 1));
    EXPECT_EQ(storedAlarm(ids[0]).status, alarmstatus::EveryMonth);
}

TEST_F(AlarmNoticeTest, ANoticeWhoseAlarmIsGoneClosesItselfWithoutSound) {
    startAlarmFrame();
    auto* notice = new CAlarmNotice(4711, frame.get());
    EXPECT_FALSE(notice->Init());
    settle(20);
    EXPECT_TRUE(notices().isEmpty());
    EXPECT_EQ(prompts.beeps(), 0);
}

TEST_F(AlarmNoticeTest, SkippedAlarmsAreNeverNotified) {
    // A moment beyond 32-bit seconds, an alarm without a time, a disabled and a done one.
    addAlarms({{"Far", at(2040, 1, 1, 9, 0)},
               {"Off", at(2026, 6, 1, 9, 0), alarmstatus::Disabled},
               {"Over", at(2026, 6, 1, 9, 0), alarmstatus::Done}});
    {
        CAlarmRcs rs(&sharedDatabase());
        rs.Open();
        rs.AddNew();
        rs.setValue("name", QStringLiteral("No time"));
        rs.setValue("date", at(2026, 6, 1));
        rs.setValue("status", alarmstatus::Pending);
        rs.Update();
    }
    startAlarmFrame();
    frame->RestartAlarmScheduler();
    settle(200);
    EXPECT_TRUE(notices().isEmpty());
}

TEST_F(AlarmNoticeTest, AnUnknownWatchedStatusIsNotifiedOnceThenDone) {
    const std::vector<qint32> ids = addAlarms({{"Odd", at(2026, 6, 10, 9, 0), 9}});
    startAlarmFrame();
    frame->RestartAlarmScheduler();
    ASSERT_TRUE(waitForNotices(1));
    settle(150);
    EXPECT_EQ(notices().size(), 1);
    EXPECT_EQ(storedAlarm(ids[0]).status, alarmstatus::Done);
}

TEST_F(AlarmNoticeTest, TheBundledSoundPlaysWhenTheConfiguredFileIsMissing) {
    EXPECT_EQ(alarmSoundFile("alarm.wav"), QString::fromLatin1(kBundledAlarmSound));
    EXPECT_EQ(alarmSoundFile(""), QString::fromLatin1(kBundledAlarmSound));
    QFile own(path("alarm.wav"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("RIFF");
    own.close();
    EXPECT_EQ(alarmSoundFile("alarm.wav"), path("alarm.wav"));
    initBuiltInResources();
    EXPECT_TRUE(QFile::exists(QString::fromLatin1(kBundledAlarmSound)));

    // Where nothing can be played (no audio output here), the warning sound is given.
    addAlarms({{"Beep", at(2026, 6, 10, 9, 0)}});
    startAlarmFrame();
    frame->RestartAlarmScheduler();
    ASSERT_TRUE(waitForNotices(1));
    EXPECT_EQ(notices().front()->sound()->file(), path("alarm.wav"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return prompts.beeps() == 1; }, 2000));
}
