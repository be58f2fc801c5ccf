#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "FormFixture.h"
#include "app/WindowKinds.h"
#include "forms/GroupFView.h"
#include "forms/MyFormView.h"
#include "forms/TypeAheadComboBox.h"
#include "platform/CommandIds.h"
#include "platform/CommandTable.h"

namespace {

struct FormCase {
    const char* kind;
    const char* table;
    int open;
    const char* listKind;
    // Adds record number %1 (1 to 5).
    const char* insert;
};

const FormCase kForms[] = {
    {"Person", "Person", cmd::ViewPersons, "Personlist",
     "Insert Into [Person] ([lastname]) Values ('Name%1')"},
    {"Contact", "Contact", cmd::ViewContacts, "Contactlist",
     "Insert Into [Contact] ([date], [time]) Values ('2026-01-0%1 10:00:00', "
     "'2026-01-0%1 10:00:00')"},
    // Disabled alarms, which no notice interrupts.
    {"Alarm", "Alarm", cmd::ViewAlarms, "Alarmlist",
     "Insert Into [Alarm] ([name], [date], [time], [status]) Values ('Alarm%1', "
     "'2099-01-0%1 10:00:00', '2099-01-0%1 10:00:00', 2)"},
    {"Firm", "Firm", cmd::ViewCompanies, "Firmlist",
     "Insert Into [Firm] ([name]) Values ('Firm%1')"},
};

const int kRecordCommands[] = {
    cmd::AddNew,         cmd::EditRecord, cmd::SaveRecord, cmd::EraseRecord, cmd::FirstRecord,
    cmd::PreviousRecord, cmd::NextRecord, cmd::LastRecord, cmd::ListRecords, cmd::Close};

// The key of the record key table that runs the command.
QKeyCombination recordKey(int command) {
    for (const KeyBinding& binding : keyTable(keytables::Record)) {
        if (binding.command == command)
            return QKeySequence(binding.key, QKeySequence::PortableText)[0];
    }
    ADD_FAILURE() << "no record key for " << command;
    return {};
}

void press(QWidget* widget, int command) {
    const QKeyCombination key = recordKey(command);
    QTest::keyClick(widget, key.key(), key.keyboardModifiers());
}

QString storedText(const char* table, const char* column, qint32 id) {
    CDatabase db;
    db.Open(databasePath());
    CRecordSet rs(&db);
    rs.m_strFilter = QStringLiteral("[id] = %1").arg(id);
    rs.Open(CRecordSet::dbOpenSnapshot, QStringLiteral("[%1]").arg(QLatin1String(table)));
    return rs.IsEOF() ? QStringLiteral("(gone)") : rs.text(QString::fromLatin1(column));
}

}  // namespace

class RecordKeyTest : public FormTest, public testing::WithParamInterface<std::tuple<int, int>> {
protected:
    void startAll() {
        frame = std::make_unique<CMainFrame>(makeDocTemplates());
        frame->resize(1200, 900);
        frame->show();
        QApplication::setActiveWindow(frame.get());
        LoadKnownValues();
    }
};

// Every record key works in every record form from its comment field, a text field that
// has a use of its own for most of these keys, whatever the form's labels use as mnemonics.
TEST_P(RecordKeyTest, RunsItsCommandInTheForm) {
    const FormCase& form = kForms[std::get<0>(GetParam())];
    const int command = std::get<1>(GetParam());
    for (int i = 1; i <= 5; ++i)
        sharedDatabase().Execute(QString::fromLatin1(form.insert).arg(i));
    startAll();
    ASSERT_TRUE(this->command(form.open));
    auto* view = this->view<CMyFormView>(QString::fromLatin1(form.kind));
    ASSERT_NE(view, nullptr);
    this->command(cmd::NextRecord);
    this->command(cmd::NextRecord);
    ASSERT_EQ(view->position(), 3);
    CRecordSet* rs = view->OnGetRecordset();
    const qint32 current = rs->longValue(QStringLiteral("id"));
    auto* comment = view->findChild<QPlainTextEdit*>(QStringLiteral("description"));
    ASSERT_NE(comment, nullptr);
    if (command == cmd::SaveRecord) {
        this->command(cmd::EditRecord);
        comment->setPlainText(QStringLiteral("typed"));
    }
    if (command == cmd::EraseRecord)
        prompts.answer(Prompter::Yes);
    comment->setFocus();

    press(comment, command);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    switch (command) {
        case cmd::AddNew:
            EXPECT_EQ(rs->GetEditMode(), CRecordSet::dbEditAdd);
            break;
        case cmd::EditRecord:
            EXPECT_EQ(rs->GetEditMode(), CRecordSet::dbEditInProgress);
            break;
        case cmd::SaveRecord:
            EXPECT_FALSE(view->isEditing());
            EXPECT_EQ(storedText(form.table, "description", current), "typed");
            break;
        case cmd::EraseRecord:
            EXPECT_EQ(prompts.messages().size(), 1);
            EXPECT_EQ(storedText(form.table, "description", current), "(gone)");
            break;
        case cmd::FirstRecord:
            EXPECT_EQ(view->position(), 1);
            break;
        case cmd::PreviousRecord:
            EXPECT_EQ(view->position(), 2);
            break;
        case cmd::NextRecord:
            EXPECT_EQ(view->position(), 4);
            break;
        case cmd::LastRecord:
            EXPECT_EQ(view->position(), 5);
            break;
        case cmd::ListRecords:
            EXPECT_NE(openwindows::find(QString::fromLatin1(form.listKind)), nullptr);
            break;
        case cmd::Close:
            EXPECT_EQ(openwindows::find(QString::fromLatin1(form.kind)), nullptr);
            break;
        default:
            FAIL() << "no check for " << command;
    }
}

INSTANTIATE_TEST_SUITE_P(FormsAndKeys, RecordKeyTest,
                         testing::Combine(testing::Range(0, 4), testing::ValuesIn(kRecordCommands)),
                         [](const testing::TestParamInfo<std::tuple<int, int>>& info) {
                             return std::string(kForms[std::get<0>(info.param)].kind) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

// The group form keeps no record state; Alt+S is its own Save button's key, Esc closes it.
TEST_F(FormTest, GroupFormSavesWithAltSAndClosesWithEsc) {
    sharedDatabase().Execute(QStringLiteral("Insert Into [Group] ([Name]) Values ('Friends')"));
    frame = std::make_unique<CMainFrame>(makeDocTemplates());
    frame->show();
    QApplication::setActiveWindow(frame.get());
    ASSERT_TRUE(command(cmd::ViewGroups));
    auto* form = view<CGroupFView>(QStringLiteral("Group"));
    ASSERT_NE(form, nullptr);
    form->button(CGroupFView::EditButton)->click();
    auto* comment = form->findChild<QPlainTextEdit*>(QStringLiteral("Description"));
    comment->setFocus();
    comment->setPlainText(QStringLiteral("old school"));
    // A button's mnemonic clicks it as a mouse would, a moment after the key.
    QSignalSpy saved(form->button(CGroupFView::SaveButton), &QPushButton::clicked);
    press(comment, cmd::SaveRecord);
    ASSERT_TRUE(saved.wait());
    EXPECT_EQ(storedText("Group", "Description", 1), "old school");

    press(comment, cmd::Close);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openwindows::find(QStringLiteral("Group")), nullptr);
}
