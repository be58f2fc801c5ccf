#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "FormFixture.h"
#include "data/FirmRcs.h"
#include "data/PersonRcs.h"
#include "platform/CallerLink.h"
#include "forms/FirmFView.h"
#include "forms/PersonFView.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"

namespace {

struct Firm {
    const char* name;
    const char* person = "";
    const char* title = "";
};

void addFirms(std::initializer_list<Firm> firms) {
    CFirmRcs rs(&sharedDatabase());
    rs.Open();
    for (const Firm& f : firms) {
        rs.AddNew();
        rs.setValue("name", QString::fromUtf8(f.name));
        rs.setValue("person", QString::fromUtf8(f.person));
        rs.setValue("title", QString::fromUtf8(f.title));
        rs.Update();
    }
}

// A column of every firm in the file, in name order.
QStringList storedFirms(const char* column = "name") {
    CDatabase db;
    db.Open(databasePath());
    CFirmRcs rs(&db);
    rs.m_strSort = "name";
    rs.Open();
    QStringList values;
    for (; !rs.IsEOF(); rs.MoveNext())
        values << rs.text(QString::fromLatin1(column));
    return values;
}

}  // namespace

class FirmFormTest : public FormTest {
protected:
    CFirmFView* open(std::initializer_list<Firm> firms = {}) {
        addFirms(firms);
        startFrame({kindTemplate("Firm", FrameKind::Record, createFirmView),
                    kindTemplate("Person", FrameKind::Record, createPersonView)});
        command(cmd::ViewCompanies);
        form = view<CFirmFView>("Firm");
        return form;
    }
    QLineEdit* field(QWidget* in, const char* column) {
        return in->findChild<QLineEdit*>(QString::fromLatin1(column));
    }
    QLineEdit* field(const char* column) { return field(form, column); }
    QString shown(const char* column) { return field(column)->text(); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    CPersonFView* personForm() { return view<CPersonFView>("Person"); }
    bool active(QWidget* view) {
        return frame->activeChild() && frame->activeChild()->viewWidget() == view;
    }

    CFirmFView* form = nullptr;
};

TEST_F(FirmFormTest, OpensOnTheFirstFirmByNameAndSavesANewOne) {
    open({{"Zeta"}, {"acme"}, {"Beta"}});
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->document()->GetTitle(), "Company profiles");
    EXPECT_EQ(form->overall(), 3);
    EXPECT_EQ(form->position(), 1);
    EXPECT_EQ(shown("name"), "acme") << "names sort without regard to letter case";
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(shown("name"), "Beta");

    key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(QApplication::focusWidget(), field("name"));
    QTest::keyClicks(field("name"), "O'Neil & Sons");
    field("web")->setText("oneil.example");
    form->findChild<QPlainTextEdit*>("address")->setPlainText("1 Quay St\nCork");
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(shown("name"), "O'Neil & Sons") << "the new firm is current after the save";
    EXPECT_EQ(form->overall(), 4);
    EXPECT_EQ(storedFirms(), (QStringList{"acme", "Beta", "O'Neil & Sons", "Zeta"}));
    EXPECT_EQ(storedFirms("web").at(2), "oneil.example");
    EXPECT_EQ(storedFirms("address").at(2), "1 Quay St\nCork");
}

TEST_F(FirmFormTest, ShowByNameFindsOnlyThatNameOrStartsANewFirm) {
    open({{"L'Oréal"}, {"O'Brien & Co"}, {"Acme Ltd"}, {"Acme*"}, {"AcmeZ"}});
    form->document()->ShowRecordByTexts("o'brien & co", "", "");
    EXPECT_EQ(shown("name"), "O'Brien & Co");
    form->document()->ShowRecordByTexts("L'Oréal", "", "");
    EXPECT_EQ(shown("name"), "L'Oréal");
    form->document()->ShowRecordByTexts("Acme*", "", "");
    EXPECT_EQ(shown("name"), "Acme*") << "the star is part of the name, not a wildcard";
    EXPECT_FALSE(form->isEditing());

    form->document()->ShowRecordByTexts("Acme?", "", "");
    EXPECT_TRUE(form->isEditing()) << "no firm has that name: a new one is started";
    EXPECT_EQ(shown("name"), "Acme?");
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(storedFirms().contains("Acme?"));
}

TEST_F(FirmFormTest, ShowByUnknownIdSaysSo) {
    open({{"Acme"}});
    prompts.answer(Prompter::Ok);
    form->document()->ShowRecordById(424242);
    EXPECT_EQ(prompts.messages(), QStringList{loadString(60010)});
    EXPECT_EQ(shown("name"), "Acme");
}

TEST_F(FirmFormTest, UnknownContactPersonOpensThePersonFormAndComesBack) {
    addPerson("Smith", "Anna");
    addPerson("Smith", "Bob");
    open();
    settings().unknownNameAction = 1;
    key(Qt::Key_N, Qt::ControlModifier);
    QTest::keyClicks(field("name"), "NewCo");
    field("person")->setFocus();
    QTest::keyClicks(field("person"), "Smith Bob");
    key(Qt::Key_Tab);
    EXPECT_EQ(personForm(), nullptr) << "a known person opens nothing";

    field("person")->setFocus();
    field("person")->clear();
    QTest::keyClicks(field("person"), "Smith Mary Ann");
    key(Qt::Key_Tab);
    CPersonFView* person = personForm();
    ASSERT_NE(person, nullptr);
    EXPECT_TRUE(person->isEditing());
    EXPECT_EQ(field(person, "lastname")->text(), "Smith") << "split at the first blank only";
    EXPECT_EQ(field(person, "firstname")->text(), "Mary Ann");
    EXPECT_TRUE(form->isEditing()) << "the firm waits, still being added";

    QTest::keyClick(field(person, "lastname"), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(active(form)) << "the person form returns to the firm form";
    EXPECT_EQ(shown("person"), "Smith Mary Ann");
    EXPECT_EQ(QApplication::focusWidget(), field("title"));
    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(storedFirms("person"), QStringList{"Smith Mary Ann"});
    EXPECT_EQ(storedPersons(), (QStringList{"Smith|Anna", "Smith|Bob", "Smith|Mary Ann"}));
}

TEST_F(FirmFormTest, F7ResolvesWhateverTheSettingButOnlyWhileEditing) {
    open({{"Acme", "Nobody Here"}});
    settings().unknownNameAction = 3;
    field("person")->setFocus();
    key(Qt::Key_F7);
    EXPECT_EQ(personForm(), nullptr) << "browsing resolves nothing";

    key(Qt::Key_F2);
    field("person")->setFocus();
    key(Qt::Key_Tab);
    EXPECT_EQ(personForm(), nullptr) << "leaving the field does nothing with this setting";
    field("person")->setFocus();
    key(Qt::Key_F7);
    ASSERT_NE(personForm(), nullptr);
    EXPECT_EQ(field(personForm(), "lastname")->text(), "Nobody");
    EXPECT_EQ(field(personForm(), "firstname")->text(), "Here");
}

TEST_F(FirmFormTest, NewFirmAskedForByThePersonFormReturnsItsName) {
    open();
    command(cmd::ViewPersons);
    CPersonFView* person = personForm();
    settings().unknownNameAction = 1;
    QTest::keyClick(person, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClicks(field(person, "lastname"), "Kerr");
    field(person, "firm")->setFocus();
    QTest::keyClicks(field(person, "firm"), "Kerr Ltd");
    QTest::keyClick(field(person, "firm"), Qt::Key_Tab);
    ASSERT_TRUE(active(form));
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(shown("name"), "Kerr Ltd");
    field("person")->setText("Kerr");
    field("person")->setFocus();
    key(Qt::Key_Tab);
    EXPECT_TRUE(person->isEditing()) << "the waiting person is not replaced by a new one";
    EXPECT_EQ(field(person, "lastname")->text(), "Kerr");

    key(Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(active(person));
    EXPECT_EQ(field(person, "firm")->text(), "Kerr Ltd");
    EXPECT_EQ(storedFirms(), QStringList{"Kerr Ltd"});
}

TEST_F(FirmFormTest, ViewShowsTheTypedContactPerson) {
    addPerson("Adams", "Ann");
    addPerson("Young", "Yves");
    open({{"Acme", "Adams Ann"}});
    key(Qt::Key_F2);
    field("person")->setText("Young Yves");
    form->findChild<QPushButton*>("button1041")->click();
    ASSERT_NE(personForm(), nullptr);
    EXPECT_TRUE(active(personForm()));
    EXPECT_EQ(field(personForm(), "firstname")->text(), "Yves");
}

TEST_F(FirmFormTest, PrintoutHasEveryLineEvenForEmptyColumns) {
    open({{"Acme", "Adams Ann", "Dr."}});
    EXPECT_EQ(form->printText(),
              "Name:        Acme\r\n"
              "Group:       \r\n"
              "Person:      Dr. Adams Ann\r\n"
              "Function:    \r\n"
              "Phone1:      \r\n"
              "Phone2:      \r\n"
              "Fax1:        \r\n"
              "Fax2:        \r\n"
              "Email:       \r\n"
              "Web:         \r\n"
              "Address:\r\n\r\n\r\n"
              "Description:\r\n\r\n");
}
