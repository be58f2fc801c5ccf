#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "FormFixture.h"
#include "OutsideClient.h"
#include "StatementTrace.h"
#include "data/ChangeNotifier.h"
#include "data/PersonRcs.h"
#include "forms/PersonFView.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"

namespace {

struct Person {
    const char* last;
    const char* first;
    const char* firm = "";
};

}  // namespace

class PersonFormTest : public FormTest {
protected:
    CPersonFView* open(std::initializer_list<Person> persons = {}) {
        for (const Person& p : persons)
            addPerson(p.last, p.first, p.firm);
        startFrame({kindTemplate("Person", FrameKind::Record, createPersonView)});
        command(cmd::ViewPersons);
        form = view<CPersonFView>("Person");
        return form;
    }
    QLineEdit* field(const char* column) {
        return form->findChild<QLineEdit*>(QString::fromLatin1(column));
    }
    QString shown(const char* column) { return field(column)->text(); }
    CDBDoc* doc() { return form->document(); }
    bool enabled(int id) {
        bool on = false;
        doc()->IsCommandEnabled(id, on);
        return on;
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }

    CPersonFView* form = nullptr;
};

TEST_F(PersonFormTest, EmptyTableOpensWithNothingToBrowse) {
    open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(doc()->GetTitle(), "Persons");
    EXPECT_EQ(form->position(), 0);
    EXPECT_EQ(form->overall(), 0);
    for (int id : {cmd::FirstRecord, cmd::PreviousRecord, cmd::NextRecord, cmd::LastRecord})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(enabled(cmd::AddNew));
    EXPECT_TRUE(enabled(cmd::Filter)) << "filter is offered while the table is empty";
    EXPECT_TRUE(field("lastname")->isReadOnly());
}

TEST_F(PersonFormTest, BrowsingFollowsTheSortOrderAndTheFlags) {
    open({{"Young", "Ann"}, {"Adams", "Zoe"}, {"Adams", "Bob"}});
    EXPECT_EQ(form->overall(), 3);
    EXPECT_EQ(form->position(), 1);
    EXPECT_EQ(shown("firstname"), "Bob");
    EXPECT_FALSE(enabled(cmd::FirstRecord));
    EXPECT_FALSE(enabled(cmd::PreviousRecord));
    EXPECT_TRUE(enabled(cmd::NextRecord));
    EXPECT_TRUE(enabled(cmd::LastRecord));
    EXPECT_FALSE(enabled(cmd::Filter));
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(shown("firstname"), "Zoe");
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(shown("lastname"), "Young");
    EXPECT_EQ(form->position(), 3);
    EXPECT_FALSE(enabled(cmd::NextRecord));
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(form->position(), 1);
}

TEST_F(PersonFormTest, SingleRecordGreysAllNavigation) {
    open({{"Solo", "Han"}});
    for (int id : {cmd::FirstRecord, cmd::PreviousRecord, cmd::NextRecord, cmd::LastRecord})
        EXPECT_FALSE(enabled(id)) << id;
}

TEST_F(PersonFormTest, AddTypeAndSaveWithTheKeys) {
    open({{"Adams", "Bob"}});
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(doc()->flag(CDBDoc::Editing), 1);
    EXPECT_TRUE(enabled(cmd::SaveRecord));
    EXPECT_FALSE(enabled(cmd::AddNew));
    EXPECT_EQ(QApplication::focusWidget(), field("lastname"));
    QTest::keyClicks(field("lastname"), "O'Brien");
    QTest::keyClicks(field("firstname"), "Niamh");
    field("phone_mobile")->setText("555 1234");
    form->findChild<QPlainTextEdit*>("description")->setPlainText("met at the fair");
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(storedPersons(), (QStringList{"Adams|Bob", "O'Brien|Niamh"}));
    EXPECT_EQ(shown("lastname"), "O'Brien") << "the new record is current after the save";
    EXPECT_EQ(form->overall(), 2);
    CDatabase db;
    db.Open(databasePath());
    CPersonRcs rs(&db);
    rs.m_strFilter = "[lastname] = 'O''Brien'";
    rs.Open();
    EXPECT_EQ(rs.text("phone_mobile"), "555 1234");
    EXPECT_EQ(rs.text("description"), "met at the fair");
}

TEST_F(PersonFormTest, EditThenCancelKeepsTheStoredRecord) {
    open({{"Adams", "Bob"}});
    key(Qt::Key_F2);
    EXPECT_TRUE(form->isEditing());
    field("firstname")->setText("Robert");
    prompts.answer(Prompter::No);
    key(Qt::Key_Escape);
    EXPECT_EQ(prompts.messages().last(), loadString(60003));
    EXPECT_TRUE(form->isEditing()) << "No keeps the edit";
    EXPECT_EQ(shown("firstname"), "Robert");
    prompts.answer(Prompter::Yes);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(shown("firstname"), "Bob");
    EXPECT_EQ(storedPersons(), QStringList{"Adams|Bob"});
}

TEST_F(PersonFormTest, EscWhileAddingAsksAndNoKeepsTheHalfEnteredRecord) {
    open();
    key(Qt::Key_N, Qt::ControlModifier);
    field("lastname")->setText("Half");
    prompts.answer(Prompter::No);
    key(Qt::Key_Escape);
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(shown("lastname"), "Half");
    EXPECT_NE(frame->frameOf(form), nullptr) << "the window stays open";
    prompts.answer(Prompter::Yes);
    key(Qt::Key_Escape);
    EXPECT_TRUE(storedPersons().isEmpty());
    key(Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(view<CPersonFView>("Person"), nullptr) << "Esc while browsing closes the form";
}

TEST_F(PersonFormTest, DeletingTheLastAndTheOnlyRecord) {
    open({{"Adams", "Bob"}, {"Young", "Ann"}});
    key(Qt::Key_End, Qt::ControlModifier);
    prompts.answer(Prompter::No);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(prompts.lastIcon(), Prompter::Icon::Exclamation);
    EXPECT_EQ(storedPersons().size(), 2);
    prompts.answer(Prompter::Yes);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(storedPersons(), QStringList{"Adams|Bob"});
    EXPECT_EQ(shown("lastname"), "Adams") << "the new last record is shown";
    prompts.answer(Prompter::Yes);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(storedPersons().isEmpty());
    EXPECT_EQ(shown("lastname"), "");
    EXPECT_EQ(form->overall(), 0);
}

TEST_F(PersonFormTest, ShowRecordByIdWhileEditingWaitsForTheEditToEnd) {
    open({{"Adams", "Bob"}, {"Young", "Ann"}});
    key(Qt::Key_F2);
    field("firstname")->setText("Changed");
    CDatabase db;
    db.Open(databasePath());
    CPersonRcs rs(&db);
    rs.m_strFilter = "lastname = 'Young'";
    rs.Open();
    doc()->ShowRecordById(rs.longValue("id"));
    EXPECT_TRUE(form->isEditing()) << "the typed text is not dropped";
    EXPECT_EQ(shown("firstname"), "Changed");
    prompts.answer(Prompter::No);
    key(Qt::Key_Escape);
    EXPECT_EQ(shown("firstname"), "Changed") << "the edit goes on";
    prompts.answer(Prompter::Yes);
    key(Qt::Key_Escape);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(shown("firstname"), "Ann") << "shown once the edit was cancelled";
    EXPECT_EQ(storedPersons(), (QStringList{"Adams|Bob", "Young|Ann"}));
    prompts.answer(Prompter::Ok);
    doc()->ShowRecordById(987654);
    EXPECT_EQ(prompts.messages().last(), loadString(60017));
}

TEST_F(PersonFormTest, ShowByNameMatchesOnlyThatNameOrStartsANewPerson) {
    open({{"O'Brien", "Niamh"}, {"Star", "Anna"}, {"S*r", "Anna"}});
    doc()->ShowRecordByTexts("o'brien niamh", "", "");
    EXPECT_EQ(shown("lastname"), "O'Brien");
    doc()->ShowRecordByTexts("S*r Anna", "", "");
    EXPECT_EQ(shown("lastname"), "S*r") << "the star is not a wildcard here";
    doc()->ShowRecordByTexts("Newman", "", "");
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(shown("lastname"), "Newman");
    EXPECT_EQ(shown("firstname"), "");
}

TEST_F(PersonFormTest, PrintoutHasEveryLabelEvenForEmptyColumns) {
    open({{"Adams", "Bob", "Acme"}});
    EXPECT_EQ(form->printText(),
              "Name:         Adams Bob\r\n"
              "Group:       \r\n"
              "Function:    \r\n"
              "Company:     Acme\r\n"
              "Home phone:  \r\n"
              "Bus. phone: \r\n"
              "Mobile tel:  \r\n"
              "Home email:  \r\n"
              "Bus. email: \r\n"
              "Address:\r\n\r\n\r\n"
              "Comment:\r\n\r\n");
}

TEST_F(PersonFormTest, EraseOnAnEmptyTableAsksNothing) {
    open();
    QTest::keyClick(form, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(form->overall(), 0);
}

namespace {

// Another window's write on the shared connection: announced on the notifier at once.
void renamePerson(const char* last, const char* first) {
    CPersonRcs rs(&sharedDatabase());
    rs.m_strFilter = QStringLiteral("[lastname] = '%1'").arg(QString::fromLatin1(last));
    rs.Open();
    rs.Edit();
    rs.setValue("firstname", QString::fromLatin1(first));
    rs.Update();
}

void deletePerson(const char* last) {
    CPersonRcs rs(&sharedDatabase());
    rs.m_strFilter = QStringLiteral("[lastname] = '%1'").arg(QString::fromLatin1(last));
    rs.Open();
    rs.Delete();
}

}  // namespace

TEST_F(PersonFormTest, BrowsingFormShowsWhatAnotherWindowChanged) {
    open({{"Adams", "Bob"}, {"Brown", "Ann"}, {"Clark", "Cy"}});
    renamePerson("Adams", "Robert");
    EXPECT_EQ(shown("firstname"), "Bob") << "taken in after the writer's write is done";
    QCoreApplication::processEvents();
    EXPECT_EQ(shown("firstname"), "Robert");

    key(Qt::Key_PageDown, Qt::ControlModifier);
    deletePerson("Brown");
    QCoreApplication::processEvents();
    EXPECT_EQ(shown("lastname"), "Clark") << "a record deleted elsewhere gives way to the next";
    EXPECT_EQ(form->overall(), 2);
    EXPECT_EQ(form->position(), 2);
}

TEST_F(PersonFormTest, AnotherProgramsChangeIsShownWhenItIsNoticed) {
    open({{"Adams", "Bob"}});
    OutsideClient::query(databasePath(),
                         QStringLiteral("update Person set firstname = 'Bobby';"
                                        "insert into Person (lastname) values ('Zorn');"));
    changeNotifier().announce(DataChange::all());
    QCoreApplication::processEvents();
    EXPECT_EQ(shown("firstname"), "Bobby");
    EXPECT_EQ(form->overall(), 2);
    EXPECT_EQ(form->position(), 1);
}

TEST_F(PersonFormTest, EditKeepsTheTypingUntilItEnds) {
    open({{"Adams", "Bob"}});
    key(Qt::Key_F2);
    field("firstname")->setText("typed");
    renamePerson("Adams", "Robert");
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(shown("firstname"), "typed");
    prompts.answer(Prompter::Yes);
    key(Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(shown("firstname"), "Robert") << "the waiting change is shown after the cancel";
}

TEST_F(PersonFormTest, OwnSaveIsNotReadAgain) {
    open({{"Adams", "Bob"}});
    key(Qt::Key_F2);
    field("firstname")->setText("Robert");
    key(Qt::Key_S, Qt::AltModifier);
    ASSERT_FALSE(form->isEditing());
    StatementTrace trace(sharedDatabase().handle());
    QCoreApplication::processEvents();
    EXPECT_TRUE(trace.statements().isEmpty()) << trace.statements().join('\n').toStdString();
    EXPECT_EQ(shown("firstname"), "Robert");
    EXPECT_EQ(storedPersons(), QStringList{"Adams|Robert"});
}
