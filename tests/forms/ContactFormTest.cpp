#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "FormFixture.h"
#include "data/ContactRcs.h"
#include "data/FirmRcs.h"
#include "data/PersonRcs.h"
#include "data/StoredDateTime.h"
#include "forms/ContactFView.h"
#include "forms/FirmFView.h"
#include "forms/PersonFView.h"
#include "platform/CallerLink.h"
#include "platform/Clock.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"
#include "support/StatementTrace.h"

namespace {

struct Contact {
    QDateTime when;
    const char* person;
    const char* firm;
    const char* description = "";
};

QDateTime at(int year, int month, int day, int hour = 9, int minute = 0, int second = 0) {
    return wallClock(QDate(year, month, day), QTime(hour, minute, second));
}

void addContacts(std::initializer_list<Contact> contacts) {
    CContactRcs rs(&sharedDatabase());
    rs.Open();
    for (const Contact& c : contacts) {
        rs.AddNew();
        rs.setValue("date", c.when);
        rs.setValue("time", c.when);
        rs.setValue("person", QString::fromUtf8(c.person));
        rs.setValue("firm", QString::fromUtf8(c.firm));
        rs.setValue("description", QString::fromUtf8(c.description));
        rs.Update();
    }
}

// The contacts in the file, newest first, as the columns given.
struct Stored {
    QDateTime date;
    QDateTime time;
    QString person;
    QString firm;
    QString description;
};
std::vector<Stored> storedContacts() {
    CDatabase db;
    db.Open(databasePath());
    CContactRcs rs(&db);
    rs.m_strSort = "date desc";
    rs.Open();
    std::vector<Stored> contacts;
    for (; !rs.IsEOF(); rs.MoveNext())
        contacts.push_back({rs.dateTime("date"), rs.dateTime("time"), rs.text("person"),
                            rs.text("firm"), rs.text("description")});
    return contacts;
}

}  // namespace

class ContactFormTest : public FormTest {
protected:
    void TearDown() override {
        setClockForTesting({});
        FormTest::TearDown();
    }
    CContactFView* open(std::initializer_list<Contact> contacts = {}) {
        addContacts(contacts);
        startFrame({kindTemplate("Contact", FrameKind::Record, createContactView),
                    kindTemplate("Person", FrameKind::Record, createPersonView),
                    kindTemplate("Firm", FrameKind::Record, createFirmView)});
        command(cmd::ViewContacts);
        form = view<CContactFView>("Contact");
        return form;
    }
    QLineEdit* field(QWidget* in, const char* column) {
        return in->findChild<QLineEdit*>(QString::fromLatin1(column));
    }
    QLineEdit* field(const char* column) { return field(form, column); }
    QString shown(const char* column) { return field(column)->text(); }
    QDateEdit* datePicker() { return form->findChild<QDateEdit*>("date"); }
    QTimeEdit* timePicker() { return form->findChild<QTimeEdit*>("time"); }
    QPushButton* button(int id) {
        return form->findChild<QPushButton*>(QStringLiteral("button%1").arg(id));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    // A new contact with the two names, saved with Alt+S as the user would.
    void saveNewContact(const char* firm, const char* person) {
        key(Qt::Key_N, Qt::ControlModifier);
        field("firm")->setText(QString::fromUtf8(firm));
        field("person")->setText(QString::fromUtf8(person));
        key(Qt::Key_S, Qt::AltModifier);
    }
    // Types into a field that has the focus, then leaves it with Tab.
    void typeAndLeave(const char* column, const char* text) {
        field(column)->setFocus();
        QTest::keyClicks(field(column), QString::fromUtf8(text));
        key(Qt::Key_Tab);
    }
    bool active(QWidget* view) {
        return frame->activeChild() && frame->activeChild()->viewWidget() == view;
    }
    int frameWidth() { return frame->frameOf(form)->width(); }

    CContactFView* form = nullptr;
};

TEST_F(ContactFormTest, NewContactStartsNowAndStoresTheMergedMomentInBothColumns) {
    setClockForTesting([] { return at(2025, 6, 1, 9, 15, 42); });
    open({{at(2024, 1, 10), "Old Olga", "Acme", "older"},
          {at(2024, 12, 24), "New Nina", "Acme", "newest"}});
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->document()->GetTitle(), "Contacts");
    EXPECT_EQ(shown("person"), "New Nina") << "the newest contact comes first";
    EXPECT_FALSE(datePicker()->isEnabled());

    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(QApplication::focusWidget(), field("firm"));
    EXPECT_TRUE(datePicker()->isEnabled());
    EXPECT_EQ(datePicker()->date(), QDate(2025, 6, 1));
    EXPECT_EQ(timePicker()->time(), QTime(9, 15, 42));
    EXPECT_EQ(shown("person"), "");

    datePicker()->setDate(QDate(2024, 3, 5));
    timePicker()->setTime(QTime(14, 30, 0));
    QTest::keyClicks(field("firm"), "Beta");
    QTest::keyClicks(field("person"), "Mid Max");
    form->findChild<QPlainTextEdit*>("description")->setPlainText("called about prices");
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(form->isEditing());

    const std::vector<Stored> stored = storedContacts();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[1].date, at(2024, 3, 5, 14, 30, 0));
    EXPECT_EQ(stored[1].time, at(2024, 3, 5, 14, 30, 0));
    EXPECT_EQ(stored[1].person, "Mid Max");
    EXPECT_EQ(stored[1].firm, "Beta");
    EXPECT_EQ(stored[1].description, "called about prices");
    EXPECT_EQ(form->position(), 1) << "after adding, the form shows the newest contact";
    EXPECT_EQ(shown("person"), "New Nina");
    EXPECT_EQ(form->overall(), 3);
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(shown("person"), "Mid Max");
    EXPECT_EQ(datePicker()->date(), QDate(2024, 3, 5));
    EXPECT_EQ(timePicker()->time(), QTime(14, 30, 0));
}

TEST_F(ContactFormTest, ShowRecordWorksByIdOnly) {
    open({{at(2024, 1, 1), "Ann A", "Acme"}, {at(2024, 2, 1), "Bob B", "Beta"}});
    form->document()->ShowRecordByTexts("Ann A", "", "");
    EXPECT_EQ(shown("person"), "Bob B");
    EXPECT_FALSE(form->isEditing());
    CDatabase db;
    db.Open(databasePath());
    CContactRcs rs(&db);
    rs.m_strFilter = "person = 'Ann A'";
    rs.Open();
    form->document()->ShowRecordById(rs.longValue("id"));
    EXPECT_EQ(shown("person"), "Ann A");
    form->document()->ShowRecordById(999999);
    EXPECT_EQ(shown("person"), "Ann A") << "an unknown id is not reported";
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(ContactFormTest, LeavingAKnownPersonFillsTheCompany) {
    addPerson("Smith", "Anna", "Acme");
    open();
    settings().unknownNameAction = 3;
    settings().fillFirmAutomatically = true;
    key(Qt::Key_N, Qt::ControlModifier);
    field("firm")->setText("Typed Firm");
    typeAndLeave("person", "Smith Anna");
    EXPECT_EQ(shown("firm"), "Acme");

    field("firm")->setText("Kept");
    field("person")->clear();
    typeAndLeave("person", "Smith Zed");
    EXPECT_EQ(shown("firm"), "Kept") << "a name that no person has changes nothing";

    settings().fillFirmAutomatically = false;
    field("person")->clear();
    typeAndLeave("person", "Smith Anna");
    EXPECT_EQ(shown("firm"), "Kept");
}

TEST_F(ContactFormTest, UnknownPersonIsCreatedInThePersonFormAndReturned) {
    open();
    settings().unknownNameAction = 1;
    settings().fillFirmAutomatically = false;
    key(Qt::Key_N, Qt::ControlModifier);
    typeAndLeave("person", "O'Hara Sean");
    auto* person = view<CPersonFView>("Person");
    ASSERT_NE(person, nullptr);
    EXPECT_TRUE(active(person));
    EXPECT_TRUE(person->isEditing());
    EXPECT_EQ(field(person, "lastname")->text(), "O'Hara");
    EXPECT_EQ(field(person, "firstname")->text(), "Sean");

    QTest::keyClick(field(person, "lastname"), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(active(form));
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(shown("person"), "O'Hara Sean");
    EXPECT_EQ(QApplication::focusWidget(), form->findChild<QPlainTextEdit*>("description"));
    key(Qt::Key_S, Qt::AltModifier);
    ASSERT_EQ(storedContacts().size(), 1u);
    EXPECT_EQ(storedContacts()[0].person, "O'Hara Sean");
}

TEST_F(ContactFormTest, UnknownFirmIsCreatedInTheFirmFormAndReturned) {
    open();
    settings().unknownNameAction = 1;
    key(Qt::Key_N, Qt::ControlModifier);
    QTest::keyClicks(field("firm"), "L'Atelier");
    key(Qt::Key_Tab);
    auto* firm = view<CFirmFView>("Firm");
    ASSERT_NE(firm, nullptr);
    EXPECT_TRUE(firm->isEditing());
    EXPECT_EQ(field(firm, "name")->text(), "L'Atelier");

    QTest::keyClick(field(firm, "name"), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(active(form));
    EXPECT_EQ(shown("firm"), "L'Atelier");
    EXPECT_EQ(QApplication::focusWidget(), field("person"));

    // F7 asks for the firm whatever the setting, but a known firm opens nothing.
    settings().unknownNameAction = 3;
    field("firm")->setFocus();
    key(Qt::Key_F7);
    EXPECT_TRUE(active(form)) << "the firm is known now";
    field("firm")->setText("Other Firm");
    key(Qt::Key_F7);
    EXPECT_TRUE(active(firm));
    EXPECT_EQ(field(firm, "name")->text(), "Other Firm");
}

TEST_F(ContactFormTest, NoticesForUnknownNamesDoNotStopTheSave) {
    addPerson("Smith", "Anna", "Acme");
    open();
    settings().unknownNameAction = 2;
    settings().fillFirmAutomatically = false;
    saveNewContact("Acme", "Smith Anna");
    EXPECT_TRUE(prompts.messages().isEmpty()) << "known names give no notice";

    prompts.answer(Prompter::Ok);
    prompts.answer(Prompter::Ok);
    saveNewContact("acme", "Nobody Known");
    EXPECT_EQ(prompts.messages(), (QStringList{loadString(60006), loadString(60007)}))
        << "the comparison heeds letter case";
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(storedContacts().size(), 2u);
}

TEST_F(ContactFormTest, HistoryListsThePersonsAndFirmsContactsNewestFirst) {
    open({{at(2024, 1, 1, 10, 0, 0), "Smith Anna", "Acme", "first"},
          {at(2024, 2, 1, 9, 5, 0), "Brown Bo", "Acme", "second"},
          {at(2024, 3, 1, 16, 45, 30), "smith anna", "Other", "third"},
          {at(2024, 4, 1), "Jones Kim", "Zed", "unrelated"},
          {at(2024, 5, 1), "Smith Anna*", "Zed", "wildcard name"}});
    EXPECT_FALSE(form->historyShown());
    EXPECT_EQ(button(1019)->text(), "Previous comments");
    const int narrow = frameWidth();
    key(Qt::Key_PageDown, Qt::ControlModifier);
    key(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(shown("person"), "smith anna");

    button(1019)->click();
    EXPECT_TRUE(form->historyShown());
    EXPECT_EQ(button(1019)->text(), loadString(60000));
    EXPECT_GT(frameWidth(), narrow);
    EXPECT_EQ(form->historyText(),
              "[2024/03/01 16:45:30]\r\n[smith anna of Other]\r\n\r\nthird\r\n\r\n"
              "[2024/01/01 10:00:00]\r\n[Smith Anna of Acme]\r\n\r\nfirst\r\n\r\n");
    EXPECT_TRUE(form->findChild<QPlainTextEdit*>("history")->isReadOnly());

    key(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(shown("person"), "Brown Bo");
    EXPECT_TRUE(form->historyText().startsWith("[2024/02/01 09:05:00]\r\n[Brown Bo of Acme]"))
        << "moving refills the shown history";
    EXPECT_TRUE(form->historyText().contains("first")) << form->historyText().toStdString();
    EXPECT_FALSE(form->historyText().contains("third"));

    button(1019)->click();
    EXPECT_FALSE(form->historyShown());
    EXPECT_EQ(button(1019)->text(), loadString(60018));
    EXPECT_FALSE(form->findChild<QPlainTextEdit*>("history")->isVisible());
    EXPECT_EQ(frameWidth(), narrow) << "the hidden pane does not keep the frame wide";
}

TEST_F(ContactFormTest, AnEmptySideMatchesNoContact) {
    open({{at(2024, 1, 1), "", "Acme", "acme only"},
          {at(2024, 1, 2), "", "Beta", "beta only"},
          {at(2024, 1, 3), "O'Brien Sean", "", "sean alone"},
          {at(2024, 1, 4), "Kay Lee", "L'Oréal", "kay"}});
    button(1019)->click();
    ASSERT_EQ(shown("person"), "Kay Lee");
    EXPECT_EQ(form->historyText(),
              "[2024/01/04 09:00:00]\r\n[Kay Lee of L'Oréal]\r\n\r\nkay\r\n\r\n");
    key(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(shown("person"), "O'Brien Sean");
    EXPECT_TRUE(form->historyText().contains("sean alone"));
    EXPECT_FALSE(form->historyText().contains("only")) << "an empty firm matches nothing";
    key(Qt::Key_PageDown, Qt::ControlModifier);
    ASSERT_EQ(shown("firm"), "Beta");
    EXPECT_FALSE(form->historyText().contains("acme only")) << "an empty person matches nothing";
    EXPECT_FALSE(form->historyText().contains("sean"));
}

TEST_F(ContactFormTest, HistoryIsEmptiedForANewContactAndRefreshedOnRequest) {
    setClockForTesting([] { return at(2025, 1, 1); });
    open({{at(2024, 1, 1), "Ann A", "Acme", "earlier"}});
    button(1019)->click();
    EXPECT_FALSE(form->historyText().isEmpty());
    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(form->historyText().isEmpty());
    field("firm")->setText("Acme");
    button(1116)->click();
    EXPECT_TRUE(form->historyText().contains("earlier"));
}

TEST_F(ContactFormTest, PrintoutsOfTheContactAndOfTheHistory) {
    open({{at(2024, 3, 5, 14, 30, 0), "Smith Anna", "Acme", "first line\r\nsecond line"}});
    EXPECT_EQ(form->printText(),
              "Date/Time:   05/03/2024 14:30:00\r\n"
              "Person:      Smith Anna\r\n"
              "Company:     Acme\r\n"
              "Comment:\r\nfirst line\r\nsecond line\r\n");

    prompts.answer(Prompter::Ok);
    button(1119)->click();
    EXPECT_EQ(prompts.messages(), QStringList{loadString(60013)}) << "the history is empty";
    prompts.clear();
    button(1019)->click();
    prompts.answerPrint(false);
    button(1119)->click();
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(ContactFormTest, TheCallerLinkIsConsumedByTheNextMove) {
    open({{at(2024, 1, 1), "Ann A", "Acme"}, {at(2024, 2, 1), "Bob B", "Beta"}});
    command(cmd::ViewPersons);
    auto* person = view<CPersonFView>("Person");
    callerLink(FormKind::Contact).set(person);
    frame->ActivateView(form);
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_FALSE(callerLink(FormKind::Contact).returnPending);
    EXPECT_TRUE(active(person)) << "the caller is activated again";
}

TEST_F(ContactFormTest, AWindowClosedWideOpensWide) {
    open({{at(2024, 1, 1), "Ann A", "Acme", "note"}});
    button(1019)->click();
    key(Qt::Key_Escape);
    QApplication::processEvents();
    ASSERT_EQ(view<CContactFView>("Contact"), nullptr);
    command(cmd::ViewContacts);
    form = view<CContactFView>("Contact");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->historyShown());
    EXPECT_TRUE(form->historyText().contains("note"));
    EXPECT_EQ(button(1019)->text(), "Previous comments");
}

TEST_F(ContactFormTest, SaveReadsNoKeysAndNamesAreLookedUpOnTheSharedConnection) {
    setClockForTesting([] { return at(2025, 1, 1); });
    addPerson("Müller", "Anna", "Acme");
    open({{at(2024, 1, 1), "MÜLLER Anna", "ACME", "earlier"},
          {at(2024, 1, 2), "Other Otto", "Zed", "unrelated"}});
    settings().unknownNameAction = 1;
    settings().fillFirmAutomatically = true;
    key(Qt::Key_N, Qt::ControlModifier);
    StatementTrace trace(sharedDatabase().handle());
    // Typed by hand: the test's key helpers know ASCII only.
    field("person")->setFocus();
    field("person")->setText("Müller Anna");
    key(Qt::Key_Tab);
    EXPECT_EQ(shown("firm"), "Acme") << "the look-up finds the person whatever the letter case";
    EXPECT_GE(trace.count(QStringLiteral("SELECT * FROM `Person` WHERE")), 2)
        << "both look-ups (resolve, fill company) use the shared connection";

    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(trace.count(QStringLiteral("SELECT rowid FROM `Contact` ORDER BY")), 0)
        << "the new contact is placed among the keys, which are not read again";
    EXPECT_EQ(shown("person"), "Müller Anna") << "the newest contact is shown";
    EXPECT_EQ(storedContacts().size(), 3u);

    button(1019)->click();
    EXPECT_TRUE(form->historyText().contains("earlier")) << form->historyText().toStdString();
    EXPECT_FALSE(form->historyText().contains("unrelated"));
}

TEST_F(ContactFormTest, WhileTheListsAreReadTheRecordsTellWhichNamesAreKnown) {
    addPerson("Smith", "Anna", "Acme");
    {
        CFirmRcs firms(&sharedDatabase());
        firms.Open();
        firms.AddNew();
        firms.setValue("name", "Acme");
        firms.Update();
    }
    // The start-up load is still reading: the lists hold nothing yet.
    BeginKnownValueLoad();
    PersonNameList().clear();
    FirmNameList().clear();
    open();
    settings().unknownNameAction = 2;
    settings().fillFirmAutomatically = false;
    saveNewContact("Acme", "Smith Anna");
    EXPECT_TRUE(prompts.messages().isEmpty()) << "known names give no notice";

    prompts.answer(Prompter::Ok);
    saveNewContact("Acme", "Nobody Known");
    EXPECT_EQ(prompts.messages(), QStringList{loadString(60007)});
    EXPECT_EQ(storedContacts().size(), 2u);
    AbandonKnownValueLoad();
}
