#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimeEdit>

#include "AlarmFixture.h"
#include "alarms/AlarmStatus.h"
#include "data/RecordLocator.h"
#include "forms/TypeAheadComboBox.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"

class AlarmFormTest : public AlarmFrameTest {
protected:
    CAlarmFView* open(std::initializer_list<Alarm> alarms = {}) {
        addAlarms(alarms);
        startAlarmFrame();
        command(cmd::ViewAlarms);
        CAlarmFView* form = alarmForm();
        EXPECT_NE(form, nullptr);
        return form;
    }
    QLineEdit* line(CAlarmFView* form, const char* column) {
        return form->findChild<QLineEdit*>(column);
    }
    void setMoment(CAlarmFView* form, const QDateTime& moment) {
        form->findChild<QDateEdit*>("date")->setDate(moment.date());
        form->findChild<QTimeEdit*>("time")->setTime(moment.time());
    }
};

TEST_F(AlarmFormTest, StatusListHoldsTheTextsInCodeOrder) {
    CAlarmFView* form = open({{"Report", at(2026, 6, 12, 9, 0), alarmstatus::EveryYear}});
    CTypeAheadComboBox* status = form->statusList();
    QStringList texts;
    for (int i = 0; i < status->count(); ++i)
        texts << status->itemText(i);
    EXPECT_EQ(texts, (QStringList{"Done", "Pending", "Disabled", "Every day", "Every month",
                                  "Every year"}));
    EXPECT_EQ(status->currentIndex(), alarmstatus::EveryYear);
    EXPECT_FALSE(status->isEnabled());
    EXPECT_TRUE(line(form, "name")->isReadOnly());
    EXPECT_EQ(line(form, "name")->toolTip(), loadString(60035));
    EXPECT_EQ(frame->windowTitle(), "Tarvex - Alarms");
}

TEST_F(AlarmFormTest, ANewAlarmSavedAsItStandsHasPassedAndAsksFirst) {
    CAlarmFView* form = open();
    command(cmd::NewAlarm);
    ASSERT_TRUE(form->isEditing());
    EXPECT_EQ(form->statusList()->currentText(), "Pending");
    EXPECT_TRUE(form->statusList()->isEnabled());
    EXPECT_EQ(form->findChild<QDateEdit*>("date")->date(), now().date());
    line(form, "name")->setText("Dentist");
    setNow(now().addSecs(30));
    prompts.answer(Prompter::No);
    command(cmd::SaveRecord);
    ASSERT_EQ(prompts.messages(), QStringList{loadString(60034)});
    EXPECT_EQ(prompts.lastIcon(), Prompter::Icon::Stop);
    EXPECT_EQ(prompts.lastButtons(), Prompter::Buttons::YesNo);
    // No keeps the edit with what the user typed.
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(line(form, "name")->text(), "Dentist");
    EXPECT_EQ(form->overall(), 0);

    prompts.answer(Prompter::Yes);
    command(cmd::SaveRecord);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(form->overall(), 1);
}

TEST_F(AlarmFormTest, SavingMergesDateAndTimeIntoBothColumns) {
    CAlarmFView* form = open();
    command(cmd::NewAlarm);
    line(form, "name")->setText("Later today");
    setMoment(form, at(2026, 6, 10, 18, 45, 10));
    form->statusList()->setCurrentIndex(alarmstatus::EveryMonth);
    command(cmd::SaveRecord);
    // A moment later today asks nothing: the check uses the whole moment.
    EXPECT_TRUE(prompts.messages().isEmpty());
    const qint32 id = form->OnGetRecordset()->longValue("id");
    const StoredAlarm stored = storedAlarm(id);
    EXPECT_EQ(stored.name, "Later today");
    EXPECT_EQ(stored.date, at(2026, 6, 10, 18, 45, 10));
    EXPECT_EQ(stored.time, at(2026, 6, 10, 18, 45, 10));
    EXPECT_EQ(stored.status, alarmstatus::EveryMonth);
}

TEST_F(AlarmFormTest, AStatusOutsideTheListLeavesTheSelectionAndSavingStoresTheShownOne) {
    const std::vector<qint32> ids =
        addAlarms({{"Odd", at(2026, 7, 1, 9, 0), 17}, {"Daily", at(2026, 7, 2, 9, 0), 3}});
    startAlarmFrame();
    command(cmd::ViewAlarms);
    CAlarmFView* form = alarmForm();
    // Latest first: "Daily" is shown first, then "Odd".
    EXPECT_EQ(form->statusList()->currentIndex(), alarmstatus::EveryDay);
    command(cmd::NextRecord);
    EXPECT_EQ(line(form, "name")->text(), "Odd");
    EXPECT_EQ(form->statusList()->currentIndex(), alarmstatus::EveryDay);
    command(cmd::EditRecord);
    command(cmd::SaveRecord);
    EXPECT_EQ(storedAlarm(ids[0]).status, alarmstatus::EveryDay);
}

TEST_F(AlarmFormTest, NotifyUserNamesUnknownNamesButSavesAllTheSame) {
    addPerson("Novak", "Ana", "Banka");
    CAlarmFView* form = open();
    // After the main frame has loaded the settings file.
    settings().unknownNameAction = 2;
    command(cmd::NewAlarm);
    line(form, "name")->setText("Meeting");
    line(form, "person")->setText("Nobody Known");
    line(form, "firm")->setText("No Such Firm");
    setMoment(form, at(2026, 6, 11, 9, 0));
    prompts.answer(Prompter::Ok);
    prompts.answer(Prompter::Ok);
    command(cmd::SaveRecord);
    EXPECT_EQ(prompts.messages(), (QStringList{loadString(60006), loadString(60007)}));
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(form->overall(), 1);
}

TEST_F(AlarmFormTest, DisablingAnAlarmTakesItOutOfTheWatchAndPendingPutsItBack) {
    const std::vector<qint32> ids = addAlarms({{"Soon", at(2026, 6, 10, 12, 0, 30)}});
    CAlarmFView* form = open();
    frame->RestartAlarmScheduler();
    command(cmd::EditRecord);
    form->statusList()->setCurrentIndex(alarmstatus::Disabled);
    command(cmd::SaveRecord);
    setNow(at(2026, 6, 10, 12, 1, 0));
    settle(150);
    EXPECT_TRUE(notices().isEmpty());

    command(cmd::EditRecord);
    form->statusList()->setCurrentIndex(alarmstatus::Pending);
    setMoment(form, at(2026, 6, 10, 12, 5, 0));
    command(cmd::SaveRecord);
    EXPECT_TRUE(prompts.messages().isEmpty());
    settle(60);
    EXPECT_TRUE(notices().isEmpty());
    setNow(at(2026, 6, 10, 12, 5, 1));
    ASSERT_TRUE(waitForNotices(1));
    EXPECT_EQ(notices().front()->alarmId(), ids[0]);
    EXPECT_EQ(storedAlarm(ids[0]).status, alarmstatus::Done);
}

TEST_F(AlarmFormTest, DeletingTheLastAlarmRestartsOverAnEmptyTable) {
    addAlarms({{"Only", at(2026, 6, 10, 12, 0, 30)}});
    CAlarmFView* form = open();
    frame->RestartAlarmScheduler();
    prompts.answer(Prompter::Yes);
    command(cmd::EraseRecord);
    EXPECT_EQ(form->overall(), 0);
    EXPECT_TRUE(frame->alarmScheduler().isRunning());
    setNow(at(2026, 6, 10, 12, 1, 0));
    settle(100);
    EXPECT_TRUE(notices().isEmpty());
}

TEST_F(AlarmFormTest, NamesReturnedFromThePersonAndFirmForms) {
    CAlarmFView* form = open();
    command(cmd::NewAlarm);
    CRecordLocator person(QStringLiteral("Novak Ana"), QString());
    form->GetDocument()->UpdateAllViews(nullptr, cmd::ReturnPersonName, &person);
    EXPECT_EQ(line(form, "person")->text(), "Novak Ana");
    CRecordLocator firm(QStringLiteral("Banka"), QString());
    form->GetDocument()->UpdateAllViews(nullptr, cmd::ReturnFirmName, &firm);
    EXPECT_EQ(line(form, "firm")->text(), "Banka");
}

TEST_F(AlarmFormTest, PrintoutHasTheFiveLines) {
    CAlarmFView* form =
        open({{"Call", at(2026, 6, 12, 9, 5, 7), 1, "Novak Ana", "Banka", "bring the papers"}});
    EXPECT_EQ(form->printText(),
              "Date/Time:   12/06/2026 09:05:07\r\n"
              "Subject:     Call\r\n"
              "Person:      Novak Ana\r\n"
              "Company:     Banka\r\n"
              "Comment:\r\nbring the papers\r\n");
}

TEST_F(AlarmFormTest, ListRecordsWithoutAnAlarmListDoesNothing) {
    open({{"Call", at(2026, 6, 12, 9, 0)}});
    command(cmd::ListRecords);
    EXPECT_NE(alarmForm(), nullptr);
}
