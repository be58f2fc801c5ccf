#include <gtest/gtest.h>

#include <QStringList>
#include <optional>

#include "TempWorkDir.h"
#include "data/ChangeNotifier.h"
#include "data/Database.h"
#include "data/PersonRcs.h"
#include "forms/RecordStateMachine.h"
#include "support/ScriptedPrompter.h"
#include "support/StatementTrace.h"

namespace {

// The window side of the machine, without a window: it logs every step and keeps the
// "typed" last name that ReadValues hands to the record.
class LoggedSteps : public CRecordSteps {
public:
    explicit LoggedSteps(CRecordSet& rs) : m_rs(rs) {}

    void EnableControls(bool enable) override { log << (enable ? "edit" : "browse"); }
    void DoNewMask() override { log << "mask"; }
    void DoNewDefaults() override { log << "defaults"; }
    void ShowValues() override { shown = m_rs.text("lastname"); }
    bool ReadValues() override {
        log << "read";
        m_rs.setValue("lastname", typed);
        return true;
    }
    bool DoBeforePost() override {
        log << "before";
        return acceptPost;
    }
    void AfterUpdate(bool added) override { log << (added ? "added" : "updated"); }
    void DoAfterPost() override { log << "after"; }
    bool RefreshPosition() override {
        log << "refresh";
        ShowValues();
        return true;
    }
    bool ConfirmCancel() override {
        log << "ask cancel";
        return answer;
    }
    bool ConfirmDelete() override {
        log << "ask delete";
        return answer;
    }

    QStringList log;
    QString typed;
    QString shown;
    bool acceptPost = true;
    bool answer = true;

private:
    CRecordSet& m_rs;
};

class RecordStateMachineTest : public TempWorkDirTest {
protected:
    void SetUp() override {
        TempWorkDirTest::SetUp();
        const QString file = path(QStringLiteral("Tarvex.mdb"));
        CDatabase::Create(file, QString());
        db.Open(file);
        other.Open(file);
    }
    void TearDown() override {
        machine.reset();
        steps.reset();
        rs.reset();
        other.Close();
        db.Close();
        TempWorkDirTest::TearDown();
    }

    // Stores the persons and opens the machine's set on them, by last name.
    void open(std::initializer_list<const char*> lastNames) {
        for (const char* name : lastNames)
            ids.push_back(insertElsewhere(name));
        rs = std::make_unique<CPersonRcs>(&db);
        rs->m_strSort = QStringLiteral("lastname");
        rs->Open();
        steps = std::make_unique<LoggedSteps>(*rs);
        machine = std::make_unique<CRecordStateMachine>(*rs, *steps, QStringLiteral("Person"));
        steps->ShowValues();
    }
    // Writes through a connection of its own, as another window or program would.
    qint32 insertElsewhere(const char* lastName) {
        CPersonRcs person(&other);
        person.Open();
        person.AddNew();
        person.setValue("lastname", QString::fromLatin1(lastName));
        person.Update();
        return static_cast<qint32>(person.GetLastModifiedBookmark());
    }
    void renameElsewhere(qint32 id, const char* lastName) {
        CPersonRcs person(&other);
        person.Open();
        ASSERT_TRUE(person.FindFirst(QStringLiteral("id = %1").arg(id)));
        person.Edit();
        person.setValue("lastname", QString::fromLatin1(lastName));
        person.Update();
    }
    void deleteElsewhere(qint32 id) {
        CPersonRcs person(&other);
        person.Open();
        ASSERT_TRUE(person.FindFirst(QStringLiteral("id = %1").arg(id)));
        person.Delete();
    }
    QStringList stored() {
        CPersonRcs person(&other);
        person.m_strSort = QStringLiteral("lastname");
        person.Open();
        QStringList names;
        for (; !person.IsEOF(); person.MoveNext())
            names << person.text("lastname");
        return names;
    }
    static DataChange changeOf(std::vector<qint32> inserted, std::vector<qint32> updated,
                               std::vector<qint32> deleted) {
        return {{TableChange{QStringLiteral("Person"), std::move(inserted), std::move(updated),
                             std::move(deleted)}},
                false};
    }

    ScriptedPrompter prompts;
    CDatabase db;
    CDatabase other;
    std::vector<qint32> ids;
    std::unique_ptr<CPersonRcs> rs;
    std::unique_ptr<LoggedSteps> steps;
    std::unique_ptr<CRecordStateMachine> machine;
};

using State = CRecordStateMachine::State;
using Move = CRecordStateMachine::Move;

}  // namespace

TEST_F(RecordStateMachineTest, AddAndSaveRunTheStepsInOrderAndStoreTheRecord) {
    open({"Brown"});
    machine->AddNew();
    EXPECT_EQ(machine->state(), State::Add);
    EXPECT_EQ(steps->log, (QStringList{"mask", "edit", "defaults"}));
    steps->log.clear();
    steps->typed = QStringLiteral("Adams");
    EXPECT_TRUE(machine->Save());
    EXPECT_EQ(steps->log, (QStringList{"read", "before", "added", "after", "browse", "refresh"}));
    EXPECT_EQ(machine->state(), State::Browse);
    EXPECT_EQ(machine->lastPost(), CRecordStateMachine::Post::Saved);
    EXPECT_EQ(stored(), (QStringList{"Adams", "Brown"}));
    EXPECT_FALSE(machine->Save()) << "nothing to save while browsing";
}

TEST_F(RecordStateMachineTest, RefusedSaveAndAnsweredNoKeepTheEdit) {
    open({"Brown"});
    ASSERT_TRUE(machine->Edit());
    EXPECT_FALSE(machine->Edit()) << "an edit is already in progress";
    steps->typed = QStringLiteral("Black");
    steps->acceptPost = false;
    EXPECT_FALSE(machine->Save());
    EXPECT_EQ(machine->state(), State::Edit);
    EXPECT_EQ(stored(), QStringList{"Brown"});

    steps->answer = false;
    EXPECT_FALSE(machine->Cancel());
    EXPECT_EQ(machine->state(), State::Edit);
    steps->answer = true;
    EXPECT_TRUE(machine->CancelOrDelete());
    EXPECT_EQ(machine->state(), State::Browse);
    EXPECT_EQ(steps->shown, "Brown");
    EXPECT_EQ(stored(), QStringList{"Brown"}) << "a cancel deletes nothing";
}

TEST_F(RecordStateMachineTest, DeleteShowsTheNextThenThePreviousThenEmptyFields) {
    open({"Adams", "Brown", "Clark"});
    machine->MoveTo(Move::Next);
    ASSERT_EQ(steps->shown, "Brown");
    EXPECT_TRUE(machine->Delete());
    EXPECT_EQ(steps->shown, "Clark");
    EXPECT_EQ(machine->lastPost(), CRecordStateMachine::Post::Deleted);
    EXPECT_TRUE(machine->Delete());
    EXPECT_EQ(steps->shown, "Adams");
    steps->answer = false;
    EXPECT_FALSE(machine->Delete());
    EXPECT_EQ(stored(), QStringList{"Adams"});
    steps->answer = true;
    EXPECT_TRUE(machine->Delete());
    EXPECT_FALSE(machine->hasRecord());
    EXPECT_EQ(steps->shown, "");
    EXPECT_TRUE(stored().isEmpty());

    steps->log.clear();
    EXPECT_FALSE(machine->Delete());
    EXPECT_TRUE(steps->log.isEmpty()) << "no question about a record that is not there";
}

TEST_F(RecordStateMachineTest, MovesStopAtEitherEnd) {
    open({"Adams", "Brown"});
    machine->MoveTo(Move::Previous);
    EXPECT_EQ(steps->shown, "Adams");
    machine->MoveTo(Move::Last);
    machine->MoveTo(Move::Next);
    EXPECT_EQ(steps->shown, "Brown");
    EXPECT_EQ(rs->GetAbsolutePosition(), 1);
    machine->MoveTo(Move::First);
    EXPECT_EQ(steps->shown, "Adams");
}

TEST_F(RecordStateMachineTest, OwnWritesAreMarkedWhileTheirAnnouncementArrives) {
    open({"Adams"});
    std::vector<bool> concerned;
    // The listener ends with the test, and the connection with it.
    QObject listener;
    QObject::connect(&changeNotifier(), &CChangeNotifier::changed, &listener,
                     [&](const DataChange& c) { concerned.push_back(machine->Concerns(c)); });
    machine->Edit();
    steps->typed = QStringLiteral("Allen");
    machine->Save();
    machine->Delete();
    EXPECT_EQ(concerned, (std::vector<bool>{false, false}));
    EXPECT_FALSE(machine->writing());
    insertElsewhere("Zorn");
    ASSERT_EQ(concerned.size(), 3u);
    EXPECT_TRUE(concerned.back()) << "another writer's insert concerns the form";
    EXPECT_FALSE(machine->Concerns(DataChange{{TableChange{QStringLiteral("Firm"), {1}, {}, {}}}}));
}

TEST_F(RecordStateMachineTest, AnotherWritersUpdateOfTheCurrentRecordIsShown) {
    open({"Adams", "Brown"});
    renameElsewhere(ids[1], "Baker");
    steps->log.clear();
    EXPECT_FALSE(machine->ApplyChange(changeOf({}, {ids[1]}, {})))
        << "a record not shown needs no refresh";
    EXPECT_TRUE(steps->log.isEmpty());

    renameElsewhere(ids[0], "Abbot");
    EXPECT_TRUE(machine->ApplyChange(changeOf({}, {ids[0]}, {})));
    EXPECT_EQ(steps->shown, "Abbot");
    EXPECT_EQ(steps->log, QStringList{"refresh"});
}

TEST_F(RecordStateMachineTest, RecordDeletedElsewhereGivesWayAsAfterADelete) {
    open({"Adams", "Brown", "Clark"});
    machine->MoveTo(Move::Next);
    deleteElsewhere(ids[1]);
    EXPECT_TRUE(machine->ApplyChange(changeOf({}, {}, {ids[1]})));
    EXPECT_EQ(steps->shown, "Clark");
    EXPECT_EQ(rs->GetRecordCount(), 2);
    EXPECT_EQ(rs->GetAbsolutePosition(), 1);

    // Another program says only that something changed.
    deleteElsewhere(ids[2]);
    EXPECT_TRUE(machine->ApplyChange(DataChange::all()));
    EXPECT_EQ(steps->shown, "Adams");
    EXPECT_EQ(rs->GetRecordCount(), 1);

    deleteElsewhere(ids[0]);
    EXPECT_TRUE(machine->ApplyChange(changeOf({}, {}, {ids[0]})));
    EXPECT_FALSE(machine->hasRecord());
    EXPECT_EQ(steps->shown, "");
    EXPECT_EQ(rs->GetRecordCount(), 0);
}

TEST_F(RecordStateMachineTest, RecordsAddedElsewhereCountWithoutMovingTheForm) {
    open({"Brown"});
    const qint32 added = insertElsewhere("Adams");
    StatementTrace trace(db.handle());
    const auto keyReads = [&trace] {
        return trace.statements().filter(QStringLiteral(" ORDER BY ")).size();
    };
    EXPECT_TRUE(machine->ApplyChange(changeOf({added}, {}, {})));
    EXPECT_EQ(steps->shown, "Brown");
    EXPECT_EQ(rs->GetRecordCount(), 2);
    EXPECT_EQ(rs->GetAbsolutePosition(), 1) << "the record keeps its place in the sort order";
    EXPECT_EQ(keyReads(), 0)
        << "the added record is placed among the keys, which are not read again";

    // Beyond a few rows every key is read again.
    std::vector<qint32> many;
    for (int i = 0; i < 30; ++i)
        many.push_back(insertElsewhere("Zorn"));
    EXPECT_TRUE(machine->ApplyChange(changeOf(many, {}, {})));
    EXPECT_EQ(rs->GetRecordCount(), 32);
    EXPECT_EQ(steps->shown, "Brown");
    EXPECT_EQ(keyReads(), 1);
}

TEST_F(RecordStateMachineTest, AnEditInProgressIgnoresOtherWriters) {
    open({"Adams"});
    machine->Edit();
    rs->setValue("lastname", QStringLiteral("typed"));
    renameElsewhere(ids[0], "Abbot");
    EXPECT_FALSE(machine->ApplyChange(changeOf({}, {ids[0]}, {})));
    EXPECT_FALSE(machine->ApplyChange(DataChange::all()));
    EXPECT_EQ(machine->state(), State::Edit);
    EXPECT_EQ(rs->text("lastname"), "typed");
}
