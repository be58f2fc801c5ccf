#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>

#include "data/ChangeNotifier.h"
#include "ListFixture.h"
#include "data/Connection.h"
#include "forms/PersonFView.h"
#include "platform/PrintDevice.h"
#include "lists/QtPrintDevice.h"
#include "lists/RecordLists.h"
#include "lists/WildcardPattern.h"
#include "platform/IniFile.h"
#include "support/LinePrintDevice.h"

namespace {

QString personInsert(const QString& last, const QString& first, const QString& firm = {}) {
    return QStringLiteral(
               "Insert Into [person] ([lastname], [firstname], [firm]) "
               "Values ('%1', '%2', '%3')")
        .arg(last, first, firm);
}

}  // namespace

TEST_F(ListTest, PersonListShowsEveryColumnAfterIdInNameOrder) {
    exec({personInsert("Miller", "Ann", "null"), personInsert("Adams", "Zoe", "NULL"),
          personInsert("adams", "Bob", "Acme"),
          "Insert Into [person] ([lastname]) Values ('Cole')"});
    start();
    ASSERT_TRUE(command(cmd::ListPersons));
    CMyListView* persons = list("Personlist");
    ASSERT_NE(persons, nullptr);
    EXPECT_EQ(persons->GetDocument()->GetTitle(), "List Persons");
    const QStringList expected{"lastname",   "firstname",      "title",           "function",
                               "firm",       "phone_home1",    "phone_bussines1", "phone_mobile",
                               "email_home", "email_bussines", "group",           "address_home",
                               "description"};
    EXPECT_EQ(persons->columnFields(), expected);
    for (int i = 0; i < persons->headerCount(); ++i) {
        EXPECT_EQ(persons->headerText(i), expected[i]);
        EXPECT_EQ(persons->headerWidth(i), 128);
    }
    EXPECT_EQ(column(persons, 0), (QStringList{"adams", "Adams", "Cole", "Miller"}));
    EXPECT_EQ(column(persons, 1), (QStringList{"Bob", "Zoe", "", "Ann"}));
    // A stored "null" in any letter case shows empty, like a database null.
    EXPECT_EQ(column(persons, 4), (QStringList{"Acme", "", "", ""}));
    // Opening again only activates the one list of the kind.
    ASSERT_TRUE(command(cmd::ListPersons));
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 1);
}

TEST_F(ListTest, HeaderClicksSortThroughTheEngineWithOneSharedToggle) {
    exec({personInsert("b", "x"), personInsert("a", "y"), personInsert("c", "x"),
          "Insert Into [firm] ([name]) Values ('F2')",
          "Insert Into [firm] ([name]) Values ('F1')"});
    start();
    command(cmd::ListPersons);
    command(cmd::ListCompanies);
    CMyListView* persons = list("Personlist");
    CMyListView* firms = list("Firmlist");
    ASSERT_TRUE(persons && firms);
    EXPECT_EQ(column(firms, 0), (QStringList{"F1", "F2"}));

    QHeaderView* header = persons->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
    EXPECT_EQ(persons->currentSort(), "lastname  asc ");
    EXPECT_EQ(column(persons, 0), (QStringList{"a", "b", "c"}));
    persons->SortByColumn(0);
    EXPECT_EQ(persons->currentSort(), "lastname  desc ");
    EXPECT_EQ(column(persons, 0), (QStringList{"c", "b", "a"}));

    // A click in another list flips the direction of the next click here.
    firms->SortByColumn(0);
    EXPECT_EQ(column(firms, 0), (QStringList{"F1", "F2"}));
    persons->SortByColumn(1);
    EXPECT_EQ(persons->currentSort(), "firstname  desc ");
    // Equal first names keep a fixed order by id (in the sort's direction).
    EXPECT_EQ(column(persons, 0), (QStringList{"a", "c", "b"}));

    // "No filter" brings back the default order.
    frame->ActivateView(persons);
    command(cmd::FilterOff);
    EXPECT_EQ(persons->currentSort(), "lastname asc, firstname asc");
}

TEST_F(ListTest, AlarmListShowsStatusWordsAndContactListDatesAndTimes) {
    exec(
        {"Insert Into [alarm] ([name], [date], [time], [status]) Values "
         "('daily', '2024-05-01 09:30:00', '2024-05-01 09:30:00', 3)",
         "Insert Into [alarm] ([name], [date], [time], [status]) Values "
         "('odd', '2024-05-01 08:00:00', '2024-05-01 08:00:00', 7)",
         "Insert Into [alarm] ([name], [date], [time], [status]) Values "
         "('old', '2023-01-02 10:00:00', '2023-01-02 10:00:00', 0)",
         "Insert Into [contact] ([date], [time], [person]) Values "
         "('2024-02-03 14:15:16', '2024-02-03 14:15:16', 'Ann')"});
    start();
    command(cmd::ListAlarms);
    CMyListView* alarms = list("Alarmlist");
    ASSERT_NE(alarms, nullptr);
    EXPECT_EQ(alarms->GetDocument()->GetTitle(), "List Alarms");
    EXPECT_EQ(alarms->columnFields().first(), "name");
    // Newest first (the date column holds the whole moment, as the forms store it).
    EXPECT_EQ(column(alarms, 0), (QStringList{"daily", "odd", "old"}));
    EXPECT_EQ(column(alarms, 3), (QStringList{"Every day", "7", "Done"}));
    EXPECT_EQ(column(alarms, 1), (QStringList{"2024/05/01", "2024/05/01", "2023/01/02"}));
    EXPECT_EQ(column(alarms, 2), (QStringList{"09:30:00", "08:00:00", "10:00:00"}));

    command(cmd::ListContacts);
    CMyListView* contacts = list("Contactlist");
    ASSERT_NE(contacts, nullptr);
    EXPECT_EQ(contacts->GetDocument()->GetTitle(), "List Contacts");
    EXPECT_EQ(column(contacts, 0), QStringList{"2024/02/03"});
    EXPECT_EQ(column(contacts, 1), QStringList{"14:15:16"});
    EXPECT_EQ(column(contacts, 4), QStringList{""});
}

TEST_F(ListTest, FilterKeepsMatchingRowsAndNarrowsAgain) {
    exec({personInsert("Miller", "Ann", "Acme"), personInsert("Smiley", "Bob", ""),
          personInsert("Mills", "Cy", "Beta"), personInsert("Jones", "Dan", "Acme Two")});
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    ASSERT_NE(persons, nullptr);

    filter(0, "mil");
    EXPECT_EQ(column(persons, 0), (QStringList{"Miller", "Mills", "Smiley"}));
    // A second filter narrows the rows the first left.
    filter(4, "acme");
    EXPECT_EQ(column(persons, 0), (QStringList{"Miller"}));
    filter(0, "", "1053");  // Reset
    EXPECT_EQ(persons->listModel()->rowCount(), 4);

    // An empty edit filters with "**": only rows with a non-empty cell stay.
    filter(4, "");
    EXPECT_EQ(column(persons, 0), (QStringList{"Jones", "Miller", "Mills"}));
    // A malformed pattern removes every row; "No filter" brings them back.
    filter(0, "[abc");
    EXPECT_EQ(persons->listModel()->rowCount(), 0);
    filter(0, "x");  // filtering an empty list does nothing
    EXPECT_EQ(persons->listModel()->rowCount(), 0);
    command(cmd::FilterOff);
    EXPECT_EQ(persons->listModel()->rowCount(), 4);

    // Cancel changes nothing.
    filter(0, "zzz", "2");
    EXPECT_EQ(persons->listModel()->rowCount(), 4);
}

TEST_F(ListTest, FilterMatchesTheShownTextsAsTheMatcherDoes) {
    QStringList inserts;
    const char* statuses[] = {"0", "1", "3", "7", "NULL"};
    for (int i = 0; i < 40; ++i)
        inserts << QStringLiteral(
                       "Insert Into [alarm] ([name], [date], [time], [status]) Values "
                       "('a%1', '2024-0%2-1%3 1%3:0%2:00', '2024-0%2-1%3 1%3:0%2:00', %4)")
                       .arg(i)
                       .arg(i % 9 + 1)
                       .arg(i % 10)
                       .arg(statuses[i % 5]);
    exec(inserts);
    start();
    command(cmd::ListAlarms);
    CMyListView* alarms = list("Alarmlist");
    ASSERT_NE(alarms, nullptr);
    for (const auto& [col, typed] :
         {std::pair{3, "ever"}, {3, "d"}, {1, "/03/"}, {2, "1?:0[2-4]"}, {3, ""}, {0, "a1"}}) {
        command(cmd::FilterOff);
        const QStringList before = column(alarms, col);
        const CWildcardPattern pattern(u'*' + QString::fromLatin1(typed) + u'*');
        QStringList expected;
        for (const QString& text : before) {
            if (pattern.matches(text))
                expected << text;
        }
        filter(col, QString::fromLatin1(typed));
        EXPECT_EQ(column(alarms, col), expected) << col << typed;
        EXPECT_FALSE(expected.isEmpty()) << typed;
    }
}

TEST_F(ListTest, FilterOffersColumnsInListOrderAfterDragging) {
    exec({personInsert("Miller", "Ann"), personInsert("Jones", "Bob")});
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    persons->horizontalHeader()->moveSection(1, 0);  // firstname now shown first
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CFilterDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Filter");
        for (int i = 0; i < dialog->columnBox()->count(); ++i)
            offered << dialog->columnBox()->itemText(i);
        EXPECT_EQ(dialog->columnBox()->currentIndex(), 0);
        dialog->columnBox()->setCurrentIndex(1);
        dialog->textEdit()->setText("bo");
        dialog->findChild<QPushButton*>("1")->click();
        EXPECT_EQ(dialog->textEdit()->text(), "*bo*");
    });
    command(cmd::Filter);
    EXPECT_EQ(offered.mid(0, 2), (QStringList{"lastname", "firstname"}));
    EXPECT_EQ(column(persons, 0), QStringList{"Jones"});
    // Dragging kept through the filter.
    EXPECT_EQ(persons->horizontalHeader()->visualIndex(1), 0);
}

TEST_F(ListTest, ColumnLayoutIsKeptInTheSettingsFileWhenAsked) {
    exec({personInsert("Miller", "Ann")});
    start();
    settings().rememberColumns = true;
    command(cmd::ListPersons);
    const QString ini = frame->settingsFile();
    // No stored keys: default order and widths; closing writes them.
    CMyListView* persons = list("Personlist");
    frame->CloseRecordWindows();
    const IniFile file(ini);
    EXPECT_EQ(file.readString("LV_person", "Pos0"), "0");
    EXPECT_EQ(file.readString("LV_person", "Size12"), "128");
    EXPECT_EQ(file.readString("LV_person", "Pos12"), "12");

    command(cmd::ListPersons);
    persons = list("Personlist");
    persons->horizontalHeader()->moveSection(4, 0);  // firm first
    persons->horizontalHeader()->resizeSection(1, 40);
    frame->CloseRecordWindows();
    EXPECT_EQ(file.readString("LV_person", "Pos4"), "0");
    EXPECT_EQ(file.readString("LV_person", "Pos0"), "1");
    EXPECT_EQ(file.readString("LV_person", "Size1"), "40");

    command(cmd::ListPersons);
    persons = list("Personlist");
    EXPECT_EQ(persons->horizontalHeader()->visualIndex(4), 0);
    EXPECT_EQ(persons->horizontalHeader()->visualIndex(0), 1);
    EXPECT_EQ(persons->headerWidth(1), 40);
    EXPECT_EQ(persons->headerWidth(0), 128);
}

TEST_F(ListTest, WithoutStoreColumnsNothingIsReadOrWritten) {
    exec({personInsert("Miller", "Ann")});
    start();
    settings().rememberColumns = false;
    IniFile(frame->settingsFile()).writeString("LV_person", "Size0", "33");
    command(cmd::ListPersons);
    EXPECT_EQ(list("Personlist")->headerWidth(0), 128);
    list("Personlist")->horizontalHeader()->resizeSection(0, 70);
    frame->CloseRecordWindows();
    EXPECT_EQ(IniFile(frame->settingsFile()).readString("LV_person", "Size0"), "33");
    EXPECT_EQ(IniFile(frame->settingsFile()).readString("LV_person", "Pos0"), "");
}

TEST_F(ListTest, OpensNewAndDeletesRecordsThroughTheForm) {
    exec({personInsert("Miller", "Ann"), personInsert("Jones", "Bob"), personInsert("Kay", "Cy")});
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    ASSERT_NE(persons, nullptr);
    // Nothing selected: Delete does nothing.
    command(cmd::EraseRecord);
    EXPECT_EQ(view<CPersonFView>("Person"), nullptr);

    select(persons, 1);  // Kay
    persons->setFocus();
    QTest::keyClick(persons, Qt::Key_Return);
    auto* form = view<CPersonFView>("Person");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->OnGetRecordset()->text("lastname"), "Kay");
    EXPECT_EQ(frame->activeChild(), frame->frameOf(form));

    frame->ActivateView(persons);
    select(persons, 2);  // Miller
    command(cmd::EditRecord);
    EXPECT_EQ(form->OnGetRecordset()->text("lastname"), "Miller");

    // Delete through the form: it asks, deletes, and the list is active again and refilled.
    frame->ActivateView(persons);
    select(persons, 0);  // Jones
    prompts.answer(Prompter::Yes);
    command(cmd::EraseRecord);
    EXPECT_EQ(storedPersons(), (QStringList{"Kay|Cy", "Miller|Ann"}));
    EXPECT_EQ(frame->activeChild(), frame->frameOf(persons));
    EXPECT_EQ(column(persons, 0), (QStringList{"Kay", "Miller"}));

    // New record starts adding in the form.
    command(cmd::AddNew);
    EXPECT_TRUE(form->isEditing());
    EXPECT_EQ(frame->activeChild(), frame->frameOf(form));
}

TEST_F(ListTest, RefreshAfterDataChangedKeepsTheSelectedRecord) {
    exec({personInsert("B", "x"), personInsert("D", "x")});
    start();
    command(cmd::ListPersons);
    command(cmd::ListCompanies);
    CMyListView* persons = list("Personlist");
    select(persons, 1);  // D
    const qint32 id = *persons->selectedId();
    exec({personInsert("A", "x"), personInsert("C", "x")});
    changeNotifier().announce(DataChange::all());
    EXPECT_EQ(column(persons, 0), (QStringList{"A", "B", "C", "D"}));
    ASSERT_TRUE(persons->selectedId().has_value());
    EXPECT_EQ(*persons->selectedId(), id);
    EXPECT_EQ(persons->currentIndex().row(), 3);
}

TEST_F(ListTest, UnreadableTableIsReportedOnceAndNoFilterRetries) {
    start();
    execElsewhere("Drop Table [firm];");
    prompts.answer(Prompter::No);
    command(cmd::ListCompanies);
    CMyListView* firms = list("Firmlist");
    ASSERT_NE(firms, nullptr);
    EXPECT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(firms->listModel()->rowCount(), 0);
    EXPECT_EQ(firms->listModel()->columnCount(), 0);

    execElsewhere("Create Table [firm] ([id] INTEGER PRIMARY KEY AUTOINCREMENT, [name] TEXT);"
                  "Insert Into [firm] ([name]) Values ('Back');");
    command(cmd::FilterOff);
    EXPECT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(column(firms, 0), QStringList{"Back"});
}

TEST_F(ListTest, ConnectionFailureShowsTheReportAndAnEmptyList) {
    exec({personInsert("Miller", "Ann")});
    start();
    setDatabasePath(path("missing.mdb"));
    prompts.answer(Prompter::No);
    command(cmd::ListPersons);
    EXPECT_EQ(prompts.messages().size(), 1);
    ASSERT_NE(list("Personlist"), nullptr);
    EXPECT_EQ(list("Personlist")->listModel()->rowCount(), 0);
}

TEST_F(ListTest, ShowHiddenColumnsWidensNarrowOnesAfterAsking) {
    exec({personInsert("Miller", "Ann")});
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    persons->horizontalHeader()->resizeSection(2, 4);
    persons->horizontalHeader()->resizeSection(3, 5);
    prompts.answer(Prompter::No);
    command(cmd::ShowHiddenColumns);
    EXPECT_EQ(persons->headerWidth(2), 4);
    prompts.answer(Prompter::Yes);
    command(cmd::ShowHiddenColumns);
    EXPECT_EQ(prompts.messages().last(), "Are you sure you want to show all columns?");
    EXPECT_EQ(prompts.lastButtons(), Prompter::Buttons::YesNo);
    EXPECT_EQ(persons->headerWidth(2), 96);
    EXPECT_EQ(persons->headerWidth(3), 5);
}

TEST_F(ListTest, EscClosesTheList) {
    start();
    command(cmd::ListAlarms);
    ASSERT_NE(list("Alarmlist"), nullptr);
    QTest::keyClick(list("Alarmlist"), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(list("Alarmlist"), nullptr);
    EXPECT_TRUE(frame->mdiArea()->subWindowList().isEmpty());
}

TEST_F(ListTest, ViewerFetchesOnlyThePagesOnScreen) {
    QStringList inserts;
    for (int i = 0; i < 3000; ++i)
        inserts << personInsert(QStringLiteral("P%1").arg(i, 5, 10, QLatin1Char('0')), "x");
    exec(inserts);
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    ASSERT_EQ(persons->listModel()->rowCount(), 3000);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_LE(persons->listModel()->cachedPages(), 2u);
    persons->scrollToBottom();
    QApplication::processEvents();
    QApplication::processEvents();
    const QModelIndex last = persons->listModel()->index(2999, 0);
    EXPECT_EQ(persons->listModel()->data(last).toString(), "P02999");
}

namespace {

// Answers the print dialog by printing to a PDF file.
class PdfPrompter : public ScriptedPrompter {
public:
    explicit PdfPrompter(QString file) : m_file(std::move(file)) {}
    bool printDialog(QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_file);
        return true;
    }

private:
    QString m_file;
};

}  // namespace

TEST_F(ListTest, PrintsTheShownColumnsInScreenOrder) {
    exec({personInsert("Miller", "Ann", "Acme"), personInsert("Jones", "Bob\nby", "Beta")});
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    QHeaderView* header = persons->horizontalHeader();
    for (int i = 2; i < header->count(); ++i)
        header->resizeSection(i, i == 4 ? 128 : 0);
    header->moveSection(header->visualIndex(4), 0);  // firm, lastname, firstname

    QStringList lines;
    const PrinterChooser previous = setPrinterChooser([&lines]() -> std::unique_ptr<PrintDevice> {
        return std::make_unique<LinePrintDevice>(lines);
    });
    command(cmd::Print);
    setPrinterChooser(previous);
    // 105 characters shared by three equal columns: 35 * 0.99999998 -> 34 each.
    auto cells = [](QStringList texts) {
        for (QString& t : texts)
            t = t.leftJustified(34);
        return texts.join(u' ');
    };
    ASSERT_EQ(lines.size(), 4 + 3);  // the header, two rows and the empty last line
    EXPECT_EQ(lines[2], "No   " + cells({"firm", "lastname", "firstname"}));
    EXPECT_EQ(lines[4], "0001 " + cells({"Beta", "Jones", "Bob by"}));
    EXPECT_EQ(lines[5], "0002 " + cells({"Acme", "Miller", "Ann"}));
}

TEST_F(ListTest, PrintsToAPdfFileThroughThePrintDialog) {
    exec({personInsert("Miller", "Ann", "Acme")});
    start();
    command(cmd::ListPersons);
    const QString pdf = path("list.pdf");
    {
        PdfPrompter dialog(pdf);
        installQtPrinting();
        command(cmd::Print);
    }
    setPrinterChooser({});
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF"));
}

TEST_F(ListTest, AFailingSortOrPageReadIsReportedOnceAndTheListStaysUsable) {
    QStringList inserts;
    for (int i = 0; i < 600; ++i)
        inserts << personInsert(QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0')), "x");
    exec(inserts);
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    ASSERT_EQ(persons->listModel()->rowCount(), 600);

    // A sort naming a column that does not exist: the report, no rows, the columns stay.
    prompts.answer(Prompter::No);
    persons->FillList("nosuch asc", true);
    EXPECT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(persons->listModel()->rowCount(), 0);
    EXPECT_EQ(persons->listModel()->columnCount(), 13);
    command(cmd::FilterOff);
    EXPECT_EQ(persons->listModel()->rowCount(), 600);

    // Rows that cannot be fetched any more: one report however much is shown, then empty
    // cells, and no exception reaches the event loop.
    execElsewhere("Drop Table [person];");
    prompts.answer(Prompter::No);
    persons->scrollToBottom();
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();
    persons->scrollToTop();
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();
    EXPECT_EQ(prompts.messages().size(), 2);
}

TEST_F(ListTest, AnExportTakesTheRowsTheListShowsInItsOrder) {
    exec({"INSERT INTO [Firm] ([name]) VALUES ('Zeta')",
          "INSERT INTO [Firm] ([name]) VALUES ('Alpha')",
          "INSERT INTO [Firm] ([name]) VALUES ('Mid')"});
    start();
    command(cmd::ListCompanies);
    CMyListView* firms = list("Firmlist");
    ASSERT_NE(firms, nullptr);
    const auto* shown = dynamic_cast<const CRecordIdSource*>(firms);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->shownTable(), "Firm");
    EXPECT_EQ(shown->shownIds(), (QList<qint64>{2, 3, 1}));
    filter(0, "Z");
    EXPECT_EQ(shown->shownIds(), (QList<qint64>{1}));
}

TEST_F(ListTest, TheAlarmListOpensItsAlarmInTheAlarmForm) {
    exec(
        {"Insert Into [alarm] ([name], [date], [time], [status]) Values ('Call the bank', "
         "'2030-01-02 09:30:00', '2030-01-02 09:30:00', 1)",
         "Insert Into [alarm] ([name], [date], [time], [status]) Values ('Renew lease', "
         "'2031-05-06 10:00:00', '2031-05-06 10:00:00', 5)"});
    start();
    command(cmd::ListAlarms);
    CMyListView* alarms = list("Alarmlist");
    ASSERT_NE(alarms, nullptr);
    const int row = column(alarms, 0).indexOf("Renew lease");
    ASSERT_GE(row, 0);
    select(alarms, row);
    alarms->OpenSelected();
    auto* form = view<CMyFormView>("Alarm");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->findChild<QLineEdit*>("name")->text(), "Renew lease");
    EXPECT_EQ(frame->activeChild()->viewWidget(), form);
}
