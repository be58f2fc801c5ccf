#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "FormFixture.h"
#include "data/ContactRcs.h"
#include "data/FirmRcs.h"
#include "data/Statement.h"
#include "data/StoredDateTime.h"
#include "forms/ContactFView.h"
#include "forms/FirmFView.h"
#include "forms/PersonFView.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"
#include "support/ScopedTimeZone.h"

namespace {

// Another program's connection to the same file.
class OtherProgram {
public:
    OtherProgram() { m_db.Open(databasePath()); }
    void run(const char* sql) { CStatement(m_db, QString::fromLatin1(sql)).execute(); }
    QString value(const QString& sql) {
        CStatement read(m_db, sql);
        return read.step() ? read.text(0) : QStringLiteral("<none>");
    }

private:
    CDatabase m_db;
};

}  // namespace

// The record forms when the file misbehaves: locked by another program, changed behind
// their back, or holding moments that local time cannot express.
class FormFaultTest : public FormTest {
protected:
    void start() {
        startFrame({kindTemplate("Person", FrameKind::Record, createPersonView),
                    kindTemplate("Firm", FrameKind::Record, createFirmView),
                    kindTemplate("Contact", FrameKind::Record, createContactView)});
    }
    template <class View>
    View* openForm(int command, const char* kind) {
        this->command(command);
        return view<View>(QString::fromLatin1(kind));
    }
    static QLineEdit* field(QWidget* form, const char* column) {
        return form->findChild<QLineEdit*>(QString::fromLatin1(column));
    }
    static QPushButton* button(QWidget* form, int id) {
        return form->findChild<QPushButton*>(QStringLiteral("button%1").arg(id));
    }
    static void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    static void addContact(const char* person, const char* firm) {
        CContactRcs rs(&sharedDatabase());
        rs.Open();
        rs.AddNew();
        const QDateTime when = wallClock(QDate(2025, 5, 5), QTime(10, 0));
        rs.setValue("date", when);
        rs.setValue("time", when);
        rs.setValue("person", QString::fromUtf8(person));
        rs.setValue("firm", QString::fromUtf8(firm));
        rs.Update();
    }
    void expectReport(const QString& words) {
        ASSERT_FALSE(prompts.messages().isEmpty());
        EXPECT_TRUE(prompts.messages().last().contains(words))
            << prompts.messages().last().toStdString();
        prompts.clear();
    }
};

TEST_F(FormFaultTest, ADeleteBlockedByAnotherProgramKeepsTheRecord) {
    addPerson("Keep", "Karl", "Acme");
    start();
    auto* form = openForm<CPersonFView>(cmd::ViewPersons, "Person");
    OtherProgram other;
    other.run("BEGIN IMMEDIATE");

    prompts.answer(Prompter::Yes);  // delete?
    prompts.answer(Prompter::No);   // the error report: no help
    command(cmd::EraseRecord);
    expectReport(QStringLiteral("locked"));
    EXPECT_EQ(field(form, "lastname")->text(), "Keep");
    EXPECT_EQ(field(form, "firm")->text(), "Acme");
    EXPECT_EQ(form->overall(), 1);
    other.run("ROLLBACK");

    // Editing and saving afterwards writes what is shown, never empty fields.
    command(cmd::EditRecord);
    field(form, "firstname")->setText("Karla");
    command(cmd::SaveRecord);
    EXPECT_EQ(storedPersons(), QStringList{"Keep|Karla"});
    EXPECT_EQ(other.value("SELECT firm FROM Person"), "Acme");
}

TEST_F(FormFaultTest, ASaveBlockedByAnotherProgramKeepsTheInputForAnotherTry) {
    addPerson("Busy", "Bert");
    start();
    auto* form = openForm<CPersonFView>(cmd::ViewPersons, "Person");
    command(cmd::EditRecord);
    field(form, "firstname")->setText("Typed");
    OtherProgram other;
    other.run("BEGIN IMMEDIATE");

    prompts.answer(Prompter::No);
    command(cmd::SaveRecord);
    expectReport(QStringLiteral("Another program is writing to the contacts file"));
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(field(form, "firstname")->text(), "Typed");
    EXPECT_EQ(field(form, "lastname")->text(), "Busy");
    other.run("ROLLBACK");

    // Save again once the other program is done: the input arrives.
    command(cmd::SaveRecord);
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join('|').toStdString();
    EXPECT_EQ(storedPersons(), QStringList{"Busy|Typed"});
}

TEST_F(FormFaultTest, SavingARecordDeletedElsewhereIsReportedAndKeepsTheInput) {
    addPerson("Gone", "Gina");
    start();
    auto* form = openForm<CPersonFView>(cmd::ViewPersons, "Person");
    command(cmd::EditRecord);
    field(form, "firstname")->setText("Typed");
    OtherProgram().run("DELETE FROM Person");

    prompts.answer(Prompter::No);
    command(cmd::SaveRecord);
    expectReport(QStringLiteral("Record is deleted."));
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(field(form, "firstname")->text(), "Typed");
}

TEST_F(FormFaultTest, AShowByAnEmptyNameShowsTheRecordAgain) {
    addPerson("Stored", "Sam");
    start();
    auto* form = openForm<CPersonFView>(cmd::ViewPersons, "Person");
    command(cmd::EditRecord);
    field(form, "lastname")->setText("Abandoned");
    form->document()->ShowRecordByTexts(QString(), QString(), QString());
    EXPECT_EQ(field(form, "lastname")->text(), "Abandoned") << "the show waits for the edit";
    prompts.answer(Prompter::Yes);
    command(cmd::EraseRecord);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(field(form, "lastname")->text(), "Stored");
    EXPECT_TRUE(field(form, "lastname")->isReadOnly());
}

TEST_F(FormFaultTest, ANameSentBackToABrowsingFormIsSaved) {
    addContact("Old Otto", "Old Firm");
    start();
    auto* contact = openForm<CContactFView>(cmd::ViewContacts, "Contact");
    ASSERT_FALSE(contact->isEditing());
    button(contact, 1043)->click();  // "new" beside the company
    auto* firm = view<CFirmFView>("Firm");
    ASSERT_NE(firm, nullptr);
    ASSERT_TRUE(firm->isEditing());
    field(firm, "name")->setText("Fresh Firm");
    command(cmd::SaveRecord);

    // Back in the contact, which now edits its record with the new name.
    ASSERT_TRUE(contact->isEditing());
    EXPECT_EQ(field(contact, "firm")->text(), "Fresh Firm");
    frame->ActivateView(contact);
    command(cmd::SaveRecord);
    EXPECT_EQ(OtherProgram().value("SELECT firm FROM Contact"), "Fresh Firm");

    // The firm form's contact person, the same way.
    frame->ActivateView(firm);
    button(firm, 1038)->click();  // "new" beside the contact person
    auto* person = view<CPersonFView>("Person");
    ASSERT_TRUE(person->isEditing());
    field(person, "lastname")->setText("Neu");
    field(person, "firstname")->setText("Nora");
    command(cmd::SaveRecord);
    ASSERT_TRUE(firm->isEditing());
    frame->ActivateView(firm);
    command(cmd::SaveRecord);
    EXPECT_EQ(OtherProgram().value("SELECT person FROM Firm WHERE name = 'Fresh Firm'"),
              "Neu Nora");
}

TEST_F(FormFaultTest, LookUpFailuresAreReportedAndTheProgramGoesOn) {
    start();
    settings().unknownNameAction = 1;
    auto* form = openForm<CPersonFView>(cmd::ViewPersons, "Person");
    command(cmd::AddNew);
    field(form, "lastname")->setText("Look");
    OtherProgram().run("DROP TABLE Firm");

    // Leaving the company field and F7 both look the firm up; both failures are reported.
    field(form, "firm")->setFocus();
    QTest::keyClicks(field(form, "firm"), "Somefirm");
    prompts.answer(Prompter::No);
    key(Qt::Key_Tab);
    expectReport(QStringLiteral("no such table"));
    field(form, "firm")->setFocus();
    prompts.answer(Prompter::No);
    key(Qt::Key_F7);
    expectReport(QStringLiteral("no such table"));
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(field(form, "firm")->text(), "Somefirm");
}

TEST_F(FormFaultTest, AFormWhoseTableCannotBeReadReportsItAndCloses) {
    start();
    OtherProgram().run("DROP TABLE Contact");
    prompts.answer(Prompter::No);
    command(cmd::ViewContacts);
    expectReport(QStringLiteral("no such table"));
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(view<CContactFView>("Contact"), nullptr);
}

TEST_F(FormFaultTest, AContactInTheSkippedHourIsSavedAsTyped) {
    const ScopedTimeZone zone("Europe/Berlin");
    start();
    auto* form = openForm<CContactFView>(cmd::ViewContacts, "Contact");
    command(cmd::AddNew);
    form->findChild<QDateEdit*>("date")->setDate(QDate(2026, 3, 29));
    form->findChild<QTimeEdit*>("time")->setTime(QTime(2, 30, 0));
    field(form, "person")->setText("Night Owl");
    command(cmd::SaveRecord);
    OtherProgram other;
    EXPECT_EQ(other.value("SELECT date FROM Contact"), "2026-03-29 02:30:00");
    EXPECT_EQ(other.value("SELECT time FROM Contact"), "2026-03-29 02:30:00");
    EXPECT_EQ(form->findChild<QTimeEdit*>("time")->time(), QTime(2, 30, 0));
    EXPECT_EQ(form->findChild<QDateEdit*>("date")->date(), QDate(2026, 3, 29));
}
