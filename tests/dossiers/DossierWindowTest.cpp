#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "FormFixture.h"
#include "app/ChildFrames.h"
#include "app/WindowKinds.h"
#include "data/FirmRcs.h"
#include "data/Schema.h"
#include "data/Sharks2Rcs.h"
#include "data/SharksRcs.h"
#include "dossiers/DossierPage.h"
#include "dossiers/DossierSheet.h"
#include "dossiers/Sharks2FView.h"
#include "dossiers/SharksFView.h"
#include "forms/DossierButton.h"
#include "forms/FirmFView.h"
#include "forms/PersonFView.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"

namespace {

// Tab indexes of the pages the tests type on.
constexpr int kFamilyTab = 4;
constexpr int kRootsTab = 5;

void addTitledPerson(const char* title, const char* last, const char* first) {
    CPersonRcs rs(&sharedDatabase());
    rs.Open();
    rs.AddNew();
    rs.setValue("title", QString::fromUtf8(title));
    rs.setValue("lastname", QString::fromUtf8(last));
    rs.setValue("firstname", QString::fromUtf8(first));
    rs.Update();
}

void addFirm(const char* name) {
    CFirmRcs rs(&sharedDatabase());
    rs.Open();
    rs.AddNew();
    rs.setValue("name", QString::fromUtf8(name));
    rs.Update();
}

// Adds a dossier row for the owner with one column filled.
void addDossierRow(const SourceDef& table, const char* link, qint32 owner, const char* column,
                   const char* text) {
    CRecordSet rs(&sharedDatabase(), table);
    rs.Open();
    rs.AddNew();
    rs.setValue(QString::fromLatin1(link), owner);
    rs.setValue(QString::fromLatin1(column), QString::fromUtf8(text));
    rs.Update();
}

// The rows of the owner's dossier as stored in the file, read through a connection of their
// own: one entry per row, the column's value ("<null>" for a null).
QStringList stored(const SourceDef& table, const char* link, qint32 owner, const char* column) {
    CDatabase db;
    db.Open(databasePath());
    CRecordSet rs(&db, table);
    rs.m_strFilter = QStringLiteral("%1 = %2").arg(QString::fromLatin1(link)).arg(owner);
    rs.m_strSort = "id";
    rs.Open();
    QStringList values;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        const QVariant v = rs.value(QString::fromLatin1(column));
        values << (v.isNull() ? QStringLiteral("<null>") : v.toString());
    }
    return values;
}

QStringList storedPerson(qint32 id, const char* column) {
    return stored(schema::Sharks, "id_person", id, column);
}

QStringList storedFirm(qint32 id, const char* column) {
    return stored(schema::Sharks2, "id_firm", id, column);
}

QString question(const QString& name) {
    return loadString(60015) + ' ' + name + '?';
}

}  // namespace

class DossierWindowTest : public FormTest {
protected:
    void open() {
        startFrame({kindTemplate("Person", FrameKind::Record, createPersonView),
                    kindTemplate("Firm", FrameKind::Record, createFirmView),
                    kindTemplate("Zikinfo", FrameKind::Child, createSharksView),
                    kindTemplate("Zikinfo2", FrameKind::Child, createSharks2View)});
    }
    // Opens the form of the kind and presses its "Zikinfo ..." button.
    void showDossierFrom(int formCommand, const QString& formKind) {
        command(formCommand);
        auto* form = dynamic_cast<QWidget*>(openwindows::find(formKind));
        ASSERT_NE(form, nullptr);
        auto* button =
            form->findChild<QPushButton*>(QStringLiteral("button%1").arg(kDossierButtonId));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), "Zikinfo ...");
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void personDossier() { showDossierFrom(cmd::ViewPersons, "Person"); }
    void firmDossier() { showDossierFrom(cmd::ViewCompanies, "Firm"); }
    CSharksFView* persons() const { return view<CSharksFView>("Zikinfo"); }
    CSharks2FView* firms() const { return view<CSharks2FView>("Zikinfo2"); }

    // The text of a column's edit on a page of the dossier.
    static QString shown(CDossierFView* dossier, int tab, const char* column) {
        QWidget* edit = dossier->sheet()->page(tab)->edit(column);
        if (auto* multi = qobject_cast<QPlainTextEdit*>(edit))
            return multi->toPlainText();
        return qobject_cast<QLineEdit*>(edit)->text();
    }
    // Switches to the tab and types the text into the column's edit.
    static void type(CDossierFView* dossier, int tab, const char* column, const QString& text) {
        dossier->sheet()->setCurrentIndex(tab);
        QWidget* edit = dossier->sheet()->page(tab)->edit(column);
        ASSERT_NE(edit, nullptr) << column;
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    static void apply(CDossierFView* dossier) {
        QTest::mouseClick(dossier->applyButton(), Qt::LeftButton);
    }
    QString frameTitle(CView* view) const { return frame->frameOf(view)->windowTitle(); }
};

TEST_F(DossierWindowTest, PersonWithoutDossierGetsAnEmptyRowAtOnce) {
    addTitledPerson("Dr", "Smith", "John");
    open();
    personDossier();
    ASSERT_NE(persons(), nullptr);
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(storedPerson(1, "buyer_dob"), QStringList{"<null>"}) << "one row, nothing typed";
    EXPECT_EQ(persons()->ownerId(), 1);
    EXPECT_EQ(persons()->displayName(), "Dr Smith John");
    EXPECT_EQ(frameTitle(persons()), "Zikinfo - Dr Smith John");
    EXPECT_EQ(persons()->sheet()->count(), 8);
    EXPECT_EQ(persons()->applyButton()->text(), "&Apply\nChanges");
    EXPECT_EQ(frame->mdiArea()->activeSubWindow(), frame->frameOf(persons()));
}

TEST_F(DossierWindowTest, EditKindsFollowTheFieldTables) {
    addTitledPerson("", "Smith", "John");
    open();
    personDossier();
    CDossierPage* buyer = persons()->sheet()->page(0);
    EXPECT_EQ(buyer->objectName(), "CBuyerPage");
    EXPECT_NE(qobject_cast<QLineEdit*>(buyer->edit("buyer_dob")), nullptr);
    auto* living = qobject_cast<QPlainTextEdit*>(buyer->edit("buyer_pol"));
    ASSERT_NE(living, nullptr);
    EXPECT_EQ(living->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    type(persons(), 0, "buyer_pol", "Paris");
    QTest::keyClick(living, Qt::Key_Return);
    QTest::keyClicks(living, "Lyon");
    EXPECT_EQ(living->toPlainText(), "Paris\nLyon") << "Enter makes a new line";
    EXPECT_EQ(persons()->findChild<QWidget*>("family_adoptedkids"), nullptr);
}

TEST_F(DossierWindowTest, OneApplySavesTheTextsOfEveryPageVisited) {
    addTitledPerson("", "Smith", "John");
    addDossierRow(schema::Sharks, "id_person", 1, "family_adoptedkids", "two");
    open();
    personDossier();
    type(persons(), kFamilyTab, "family_married", "Jane");
    type(persons(), kRootsTab, "family_mama_borndate", "1931");
    EXPECT_EQ(storedPerson(1, "family_married"), QStringList{"<null>"}) << "nothing saved yet";
    apply(persons());
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(storedPerson(1, "family_married"), QStringList{"Jane"});
    EXPECT_EQ(storedPerson(1, "family_mama_borndate"), QStringList{"1931"});
    EXPECT_EQ(storedPerson(1, "family_adoptedkids"), QStringList{"two"}) << "never changed";
    EXPECT_EQ(storedPerson(1, "buyer_dob"), QStringList{"<null>"}) << "untouched stays null";

    // The row stays in edit mode: a second Apply after more typing saves again.
    type(persons(), kFamilyTab, "family_kids", "Tom, 7");
    apply(persons());
    EXPECT_EQ(storedPerson(1, "family_kids"), QStringList{"Tom, 7"});
    persons()->sheet()->setCurrentIndex(kRootsTab);
    EXPECT_EQ(shown(persons(), kRootsTab, "family_mama_borndate"), "1931");
}

TEST_F(DossierWindowTest, SwitchingPersonsAsksAboutThePreviousOneEvenUnchanged) {
    addTitledPerson("", "Adams", "Ann");
    addTitledPerson("", "Brown", "Bob");
    addDossierRow(schema::Sharks, "id_person", 2, "buyer_dob", "1960");
    open();
    personDossier();
    type(persons(), 0, "buyer_dob", "1950");
    command(cmd::ViewPersons);
    command(cmd::NextRecord);
    prompts.answer(Prompter::No);
    personDossier();
    EXPECT_EQ(prompts.messages(), QStringList{question(" Adams Ann")}) << "two blanks";
    EXPECT_EQ(prompts.lastButtons(), Prompter::Buttons::YesNo);
    EXPECT_EQ(prompts.lastIcon(), Prompter::Icon::Question);
    EXPECT_EQ(storedPerson(1, "buyer_dob"), QStringList{"<null>"}) << "No drops the typing";
    EXPECT_EQ(persons()->ownerId(), 2);
    EXPECT_EQ(shown(persons(), 0, "buyer_dob"), "1960");
    EXPECT_EQ(frameTitle(persons()), "Zikinfo -  Brown Bob");

    // Loading the same person again asks too; Yes saves what was typed.
    prompts.clear();
    type(persons(), 0, "buyer_pob", "Leeds");
    prompts.answer(Prompter::Yes);
    personDossier();
    EXPECT_EQ(prompts.messages(), QStringList{question(" Brown Bob")});
    EXPECT_EQ(storedPerson(2, "buyer_pob"), QStringList{"Leeds"});
    EXPECT_EQ(shown(persons(), 0, "buyer_pob"), "Leeds");
}

TEST_F(DossierWindowTest, EscClosesWithoutSavingAndWithoutAsking) {
    addTitledPerson("", "Smith", "John");
    open();
    personDossier();
    type(persons(), 1, "busbio_goals", "never saved");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(persons(), nullptr);
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(storedPerson(1, "busbio_goals"), QStringList{"<null>"});

    // A new window asks nothing about the dossier of the closed one.
    personDossier();
    ASSERT_NE(persons(), nullptr);
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(DossierWindowTest, ButtonWhileEditingOnlySaysSo) {
    addTitledPerson("", "Smith", "John");
    open();
    command(cmd::ViewPersons);
    command(cmd::EditRecord);
    prompts.answer(Prompter::Ok);
    personDossier();
    EXPECT_EQ(prompts.messages(), QStringList{loadString(60016)});
    EXPECT_EQ(persons(), nullptr);
    EXPECT_EQ(storedPerson(1, "buyer_dob"), QStringList{});
}

TEST_F(DossierWindowTest, FirmButtonWhileAddingOnlySaysSo) {
    addFirm("Acme");
    open();
    command(cmd::ViewCompanies);
    command(cmd::AddNew);
    prompts.answer(Prompter::Ok);
    firmDossier();
    EXPECT_EQ(prompts.messages(), QStringList{loadString(60016)});
    EXPECT_EQ(firms(), nullptr);
}

TEST_F(DossierWindowTest, PersonFormWithoutRecordsOpensNoDossier) {
    open();
    personDossier();
    EXPECT_EQ(persons(), nullptr);
    EXPECT_EQ(storedPerson(0, "buyer_dob"), QStringList{}) << "no row for a person that is not";
}

TEST_F(DossierWindowTest, SeveralRowsOfOnePersonShowTheFirst) {
    addTitledPerson("", "Smith", "John");
    addDossierRow(schema::Sharks, "id_person", 1, "buyer_dob", "first");
    addDossierRow(schema::Sharks, "id_person", 1, "buyer_dob", "second");
    open();
    personDossier();
    EXPECT_EQ(shown(persons(), 0, "buyer_dob"), "first");
}

TEST_F(DossierWindowTest, FirmColumnsWithBlanksAreReadAndWritten) {
    addFirm("Acme");
    addDossierRow(schema::Sharks2, "id_firm", 1, "basic_number of workers", "120");
    open();
    firmDossier();
    ASSERT_NE(firms(), nullptr);
    EXPECT_EQ(frameTitle(firms()), "Zikinfo - Acme");
    EXPECT_EQ(firms()->sheet()->count(), 5);
    EXPECT_EQ(shown(firms(), 0, "basic_number of workers"), "120");
    auto* workers =
        qobject_cast<QLineEdit*>(firms()->sheet()->page(0)->edit("basic_number of workers"));
    workers->selectAll();
    QTest::keyClicks(workers, "130");
    type(firms(), 1, "employees_why are they satisfied", "pay");
    apply(firms());
    EXPECT_EQ(storedFirm(1, "basic_number of workers"), QStringList{"130"});
    EXPECT_EQ(storedFirm(1, "employees_why are they satisfied"), QStringList{"pay"});
}

TEST_F(DossierWindowTest, FirmWithoutDossierGetsARowAndEachKindAsksAboutItsOwn) {
    addTitledPerson("", "Adams", "Ann");
    addTitledPerson("", "Brown", "Bob");
    addFirm("Acme");
    addFirm("Zenith");
    open();
    personDossier();
    firmDossier();
    EXPECT_EQ(storedFirm(1, "basic_profit"), QStringList{"<null>"});
    EXPECT_TRUE(prompts.messages().isEmpty()) << "the other kind's dossier does not count";

    command(cmd::ViewPersons);
    command(cmd::NextRecord);
    prompts.answer(Prompter::No);
    personDossier();
    command(cmd::ViewCompanies);
    command(cmd::NextRecord);
    prompts.answer(Prompter::No);
    firmDossier();
    EXPECT_EQ(prompts.messages(), (QStringList{question(" Adams Ann"), question("Acme")}));
    EXPECT_EQ(storedFirm(2, "basic_profit"), QStringList{"<null>"});
}

// Faults the dossier mends: an add that the engine silently drops must not make the load loop
// forever, and a dossier that cannot be saved must not lose what was typed.
TEST_F(DossierWindowTest, RowThatCannotBeAddedIsReportedOnceAndLeavesTheWindowEmpty) {
    addTitledPerson("", "Smith", "John");
    sharedDatabase().Execute(
        "CREATE TRIGGER drop_sharks BEFORE INSERT ON [Sharks] BEGIN SELECT RAISE(IGNORE); END");
    open();
    prompts.answer(Prompter::No);
    personDossier();
    ASSERT_NE(persons(), nullptr);
    EXPECT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(prompts.lastIcon(), Prompter::Icon::Stop);
    EXPECT_EQ(persons()->ownerId(), -1);
    auto* dob = qobject_cast<QLineEdit*>(persons()->sheet()->page(0)->edit("buyer_dob"));
    EXPECT_TRUE(dob->isReadOnly()) << "nothing to type into that could be saved";

    // Once rows can be added again, the next load shows the dossier without a question.
    sharedDatabase().Execute("DROP TRIGGER drop_sharks");
    prompts.clear();
    personDossier();
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(persons()->ownerId(), 1);
    EXPECT_FALSE(dob->isReadOnly());
}

TEST_F(DossierWindowTest, FailedAddIsReportedAndNothingShown) {
    addTitledPerson("", "Smith", "John");
    sharedDatabase().Execute(
        "CREATE TRIGGER no_sharks BEFORE INSERT ON [Sharks] BEGIN SELECT "
        "RAISE(ABORT, 'read-only dossiers'); END");
    open();
    prompts.answer(Prompter::No);
    personDossier();
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().contains("read-only dossiers"));
    EXPECT_EQ(persons()->ownerId(), -1);
    EXPECT_EQ(storedPerson(1, "buyer_dob"), QStringList{});
}

TEST_F(DossierWindowTest, SwitchingWhenTheDossierCannotBeSavedKeepsItsTexts) {
    addTitledPerson("", "Adams", "Ann");
    addTitledPerson("", "Brown", "Bob");
    open();
    personDossier();
    type(persons(), kFamilyTab, "family_married", "Jane");
    sharedDatabase().Execute(
        "CREATE TRIGGER keep_sharks BEFORE UPDATE ON [Sharks] BEGIN SELECT "
        "RAISE(ABORT, 'dossier locked'); END");
    command(cmd::ViewPersons);
    command(cmd::NextRecord);
    prompts.answer(Prompter::Yes);
    prompts.answer(Prompter::No);
    personDossier();
    ASSERT_EQ(prompts.messages().size(), 2);
    EXPECT_TRUE(prompts.messages()[1].contains("dossier locked"));
    EXPECT_EQ(persons()->ownerId(), 1) << "the unsaved dossier stays shown";
    EXPECT_EQ(frameTitle(persons()), "Zikinfo -  Adams Ann");
    EXPECT_EQ(shown(persons(), kFamilyTab, "family_married"), "Jane");
    EXPECT_EQ(storedPerson(2, "buyer_dob"), QStringList{}) << "the next one was not opened";

    sharedDatabase().Execute("DROP TRIGGER keep_sharks");
    prompts.clear();
    apply(persons());
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(storedPerson(1, "family_married"), QStringList{"Jane"});
}

TEST_F(DossierWindowTest, BothDossiersCloseWithTheRecordWindowsUnsaved) {
    addTitledPerson("", "Smith", "John");
    addFirm("Acme");
    open();
    personDossier();
    firmDossier();
    type(firms(), 0, "basic_profit", "never saved");
    frame->CloseRecordWindows();
    EXPECT_EQ(persons(), nullptr);
    EXPECT_EQ(firms(), nullptr);
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(storedFirm(1, "basic_profit"), QStringList{"<null>"});
}

TEST_F(DossierWindowTest, ProgramKindsOpenBothDossiersInPlainChildFrames) {
    addTitledPerson("", "Smith", "John");
    addFirm("Acme");
    frame = std::make_unique<CMainFrame>(makeDocTemplates());
    frame->show();
    personDossier();
    firmDossier();
    ASSERT_NE(persons(), nullptr);
    ASSERT_NE(firms(), nullptr);
    EXPECT_NE(qobject_cast<CChildFrame*>(frame->frameOf(persons())), nullptr);
    EXPECT_NE(qobject_cast<CChildFrame*>(frame->frameOf(firms())), nullptr);
    EXPECT_EQ(storedPerson(1, "buyer_dob"), QStringList{"<null>"});
    EXPECT_EQ(storedFirm(1, "basic_dob"), QStringList{"<null>"});
}

TEST_F(DossierWindowTest, LongRightToLeftAndEmojiTextsAreShownAndSavedWhole) {
    QString text;
    while (text.size() < 10000)
        text += QString::fromUtf8("שלום مرحبا 😀 O'Neil\t\x01 line\n");
    addTitledPerson("", "Smith", "John");
    addDossierRow(schema::Sharks, "id_person", 1, "buyer_pol", text.toUtf8().constData());
    open();
    personDossier();
    ASSERT_NE(persons(), nullptr);
    EXPECT_EQ(shown(persons(), 0, "buyer_pol"), text);
    // Set directly: simulated key clicks cannot spell these characters.
    qobject_cast<QLineEdit*>(persons()->sheet()->page(0)->edit("buyer_dob"))
        ->setText(QString::fromUtf8("🦊 ١٩٧٠"));
    apply(persons());
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(storedPerson(1, "buyer_pol"), QStringList{text});
    EXPECT_EQ(storedPerson(1, "buyer_dob"), QStringList{QString::fromUtf8("🦊 ١٩٧٠")});
}
