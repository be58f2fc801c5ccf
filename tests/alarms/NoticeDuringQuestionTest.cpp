#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimeEdit>

#include "AlarmFixture.h"
#include "alarms/AlarmStatus.h"
#include "forms/TypeAheadComboBox.h"
#include "lists/ListModel.h"
#include "lists/MyListView.h"
#include "lists/RecordLists.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"

// An alarm that falls due while the alarm form asks a question or edits: the question's
// answer and the typed text belong to the record the user chose, and the form shows the
// alarm once the question is answered or the edit is over.
class NoticeDuringQuestionTest : public AlarmFrameTest {
protected:
    void SetUp() override {
        AlarmFrameTest::SetUp();
        // A and C lie ahead; B falls due at 12:05. The form, latest first, opens at A, and
        // C follows it.
        ids = addAlarms({{"Alarm A", at(2026, 6, 20, 9, 0)},
                         {"Alarm B", at(2026, 6, 10, 12, 5)},
                         {"Alarm C", at(2026, 6, 15, 9, 0)}});
        startFrame({kindTemplate("Alarm", FrameKind::Record, createAlarmView),
                    kindTemplate("Alarmlist", FrameKind::List, createAlarmListView)});
        frame->alarmScheduler().setPollInterval(std::chrono::milliseconds(10));
        frame->RestartAlarmScheduler();
        command(cmd::ViewAlarms);
        form = alarmForm();
        ASSERT_NE(form, nullptr);
        ASSERT_EQ(currentId(), ids[0]);
    }

    // B falls due and the program runs its events, as an open question does, until B's
    // notice is there.
    void alarmBFallsDue() {
        setNow(at(2026, 6, 10, 12, 5, 1));
        ASSERT_TRUE(waitForNotices(1));
        EXPECT_EQ(notices().front()->alarmId(), ids[1]);
    }
    // Answers the next question with `answer` after B fell due while it was open.
    void answerAfterBFellDue(int question, int answer) {
        prompts.answerWith([this, question, answer](const QString& text) {
            EXPECT_EQ(text, loadString(question));
            alarmBFallsDue();
            EXPECT_EQ(currentId(), ids[0]) << "the record asked about stays current";
            return answer;
        });
    }
    qint32 currentId() const { return form->OnGetRecordset()->longValue("id"); }
    QPlainTextEdit* comment() const { return form->findChild<QPlainTextEdit*>("description"); }
    static QString storedDescription(qint32 id) {
        CDatabase db;
        db.Open(databasePath());
        CAlarmRcs rs(&db);
        rs.m_strFilter = QStringLiteral("id = %1").arg(id);
        rs.Open();
        return rs.IsEOF() ? QStringLiteral("<gone>") : rs.text("description");
    }
    // Alarm B as the notice left it, and the form showing it now that it is idle.
    void expectBNotifiedAndShown() {
        EXPECT_EQ(storedAlarm(ids[1]).name, "Alarm B");
        EXPECT_EQ(storedAlarm(ids[1]).status, alarmstatus::Done);
        EXPECT_EQ(notices().size(), 1);
        EXPECT_FALSE(form->isEditing());
        EXPECT_EQ(currentId(), ids[1]);
        EXPECT_EQ(form->findChild<QLineEdit*>("name")->text(), "Alarm B");
        EXPECT_EQ(form->deferredMoves().waiting(), 0u);
    }

    std::vector<qint32> ids;
    CAlarmFView* form = nullptr;
};

TEST_F(NoticeDuringQuestionTest, YesToDeleteDeletesTheAlarmTheUserChose) {
    answerAfterBFellDue(60002, Prompter::Yes);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(storedDescription(ids[0]), "<gone>");
    expectBNotifiedAndShown();
    EXPECT_EQ(form->overall(), 2);
}

TEST_F(NoticeDuringQuestionTest, AListsDeleteDeletesTheRowTheUserChose) {
    command(cmd::ListAlarms);
    auto* list = view<CMyListView>("Alarmlist");
    ASSERT_NE(list, nullptr);
    CListModel* rows = list->listModel();
    for (int row = 0; row < rows->rowCount(); ++row) {
        if (rows->cellText(row, 0) == "Alarm A")
            list->selectionModel()->setCurrentIndex(
                rows->index(row, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    ASSERT_EQ(list->selectedId(), ids[0]);
    answerAfterBFellDue(60002, Prompter::Yes);
    command(cmd::EraseRecord);
    EXPECT_EQ(storedDescription(ids[0]), "<gone>");
    expectBNotifiedAndShown();
    rows = list->listModel();
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->cellText(0, 0) + '|' + rows->cellText(1, 0), "Alarm C|Alarm B");
}

TEST_F(NoticeDuringQuestionTest, TextTypedIntoAnEditKeepsWhenANoticeArrives) {
    command(cmd::EditRecord);
    ASSERT_TRUE(form->isEditing());
    comment()->setPlainText("typed before the notice");
    alarmBFallsDue();
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(currentId(), ids[0]);
    EXPECT_EQ(comment()->toPlainText(), "typed before the notice");
    // The notice's move waits, and so may the advance's change once its queued call ran.
    EXPECT_GE(form->deferredMoves().waiting(), 1u);

    command(cmd::SaveRecord);
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join('|').toStdString();
    EXPECT_EQ(storedDescription(ids[0]), "typed before the notice");
    expectBNotifiedAndShown();
}

TEST_F(NoticeDuringQuestionTest, ASaveWhosePastMomentQuestionIsOpenStoresTheInput) {
    command(cmd::NewAlarm);
    form->findChild<QLineEdit*>("name")->setText("Missed call");
    form->findChild<QDateEdit*>("date")->setDate(QDate(2026, 6, 10));
    form->findChild<QTimeEdit*>("time")->setTime(QTime(11, 0));
    // Disabled, so that the saved alarm gives no notice of its own.
    form->statusList()->setCurrentIndex(alarmstatus::Disabled);
    prompts.answerWith([this](const QString& text) {
        EXPECT_EQ(text, loadString(60034));
        alarmBFallsDue();
        EXPECT_TRUE(form->isEditing());
        EXPECT_EQ(form->findChild<QLineEdit*>("name")->text(), "Missed call");
        return int(Prompter::Yes);
    });
    command(cmd::SaveRecord);
    EXPECT_EQ(prompts.messages(), QStringList{loadString(60034)}) << "no failed save reported";
    const std::vector<qint32> added = [] {
        CDatabase db;
        db.Open(databasePath());
        CAlarmRcs rs(&db);
        rs.m_strFilter = QStringLiteral("name = 'Missed call'");
        rs.Open();
        return rs.IsEOF() ? std::vector<qint32>{} : std::vector<qint32>{rs.longValue("id")};
    }();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(storedAlarm(added[0]).status, alarmstatus::Disabled);
    EXPECT_EQ(storedAlarm(added[0]).date, at(2026, 6, 10, 11, 0));
    expectBNotifiedAndShown();
}
