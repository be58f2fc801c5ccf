#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <random>

#include "ListFixture.h"
#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/Statement.h"
#include "forms/FirmFView.h"
#include "forms/PersonFView.h"
#include "platform/TypeAheadListBox.h"
#include "lists/SearchDlg.h"
#include "lists/SearchQuery.h"
#include "lists/SearchResultModel.h"

class SearchTest : public ListTest {
protected:
    void fill() {
        exec(
            {"Insert Into [person] ([lastname], [firstname], [firm]) Values "
             "('O''Brien', 'Pat', 'Acme')",
             "Insert Into [person] ([lastname], [firstname], [description]) Values "
             "('MÜLLER', 'Hans', '100% sure_thing [x] #1')",
             "Insert Into [person] ([lastname], [firstname]) Values ('Other', 'Ann')",
             "Insert Into [firm] ([name], [group]) Values ('Acme', 'Tools')",
             "Insert Into [contact] ([date], [time], [person], [firm]) Values "
             "('2024-02-03 14:15:16', '2024-02-03 14:15:16', 'O''Brien Pat', 'Acme')",
             "Insert Into [alarm] ([name], [person], [status]) Values ('Call the bank', 'Ann', "
             "1)"});
    }
    // The lines found for the typed text in the kinds.
    QStringList lines(std::vector<SearchKind> kinds, const QString& text) {
        CSearchResultModel model;
        model.search(databasePath(), currentPassword(), kinds, text);
        EXPECT_EQ(model.searching(), !kinds.empty());
        model.wait();
        return shown(model);
    }
    static QStringList shown(CSearchResultModel& model) {
        QStringList found;
        for (int r = 0; r < model.hitCount(); ++r)
            found << model.line(r);
        return found;
    }
    static const std::vector<SearchKind>& all() {
        static const std::vector<SearchKind> kinds{SearchKind::Contact, SearchKind::Person,
                                                   SearchKind::Firm, SearchKind::Alarm};
        return kinds;
    }
};

TEST_F(SearchTest, ConditionsQuoteTheTextAndKeepOnlyStarAndQuestionMarkAsWildcards) {
    EXPECT_EQ(searchPattern("O'Brien"), "*O''Brien*");
    EXPECT_EQ(searchPattern("a[b#"), "*a[[]b[#]*");
    EXPECT_EQ(searchPattern("M?ll*r"), "*M?ll*r*");
    EXPECT_EQ(searchCondition(SearchKind::Contact, "x"),
              "date like '*x*' or description like '*x*' or firm like '*x*' or "
              "person like '*x*' or time like '*x*'");
    EXPECT_TRUE(searchCondition(SearchKind::Alarm, "x").endsWith("name like '*x*'"));
}

TEST_F(SearchTest, HitsPerCategoryWithApostrophesSpecialCharactersAndNonAscii) {
    fill();
    EXPECT_EQ(lines(all(), "o'brien"),
              (QStringList{"Contact: O'Brien Pat Firm: Acme", "Person: O'Brien Pat Firm: Acme"}));
    EXPECT_EQ(lines({SearchKind::Person}, "müller"), QStringList{"Person: MÜLLER Hans Firm: "});
    for (const char* literal : {"100%", "sure_thing", "[x]", "#1"})
        EXPECT_EQ(lines({SearchKind::Person}, QString::fromUtf8(literal)).size(), 1) << literal;
    EXPECT_TRUE(lines({SearchKind::Person}, "_thingx").isEmpty());
    EXPECT_EQ(lines({SearchKind::Person}, "M?ller").size(), 1);
    EXPECT_EQ(lines({SearchKind::Firm}, "acme"), QStringList{"Firm: Acme Group: Tools"});
    // An alarm is found by its subject as well.
    EXPECT_EQ(lines({SearchKind::Alarm}, "bank"), QStringList{"Alarm: Call the bank Person: Ann"});
    // Dates are found as the lists show them.
    EXPECT_EQ(lines({SearchKind::Contact}, "2024/02/03").size(), 1);
    EXPECT_EQ(lines({SearchKind::Contact}, "14:15").size(), 1);
    // An empty text lists every record with a non-null searched column.
    EXPECT_EQ(lines(all(), "").size(), 1 + 3 + 1 + 1);
    EXPECT_TRUE(lines({}, "acme").isEmpty());
}

TEST_F(SearchTest, ALargeTableSearchedInTwoHalvesGivesEveryHitInOrder) {
    CStatement(sharedDatabase(),
               QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < 210000) INSERT INTO Contact (person, firm) SELECT CASE "
                              "WHEN i % 1000 = 7 THEN 'Müller ' || i ELSE 'Smith ' || i END, "
                              "'Acme' FROM n"))
        .execute();
    CDatabase db;
    db.Open(databasePath());
    const std::vector<qint32> ids = findRecords(db, SearchKind::Contact, QStringLiteral("MÜLLER"));
    std::vector<qint32> expected;
    for (qint32 i = 7; i <= 210000; i += 1000)
        expected.push_back(i);
    EXPECT_EQ(ids, expected);
}

TEST_F(SearchTest, ToolSearchesTheChosenCategoriesAndJumpsToTheForm) {
    fill();
    start();
    ASSERT_TRUE(command(cmd::Search));
    CSearchDlg* tool = frame->searchTool();
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->windowTitle(), "Tarvex - Search tool");
    EXPECT_EQ(tool->categories()->items(), (QStringList{"Contacts", "Persons", "Firms", "Alarms"}));
    EXPECT_TRUE(tool->categories()->selectedRows().isEmpty());
    // A second Search command only brings the one tool forward.
    command(cmd::Search);
    EXPECT_EQ(frame->searchTool(), tool);

    tool->searchEdit()->setText("acme");
    tool->findChild<QPushButton*>("3")->click();
    EXPECT_FALSE(tool->resultModel()->searching());  // no category chosen
    EXPECT_EQ(tool->resultModel()->hitCount(), 0);

    tool->findChild<QPushButton*>("4")->click();  // All
    EXPECT_EQ(tool->categories()->selectedRows().size(), 4);
    tool->findChild<QPushButton*>("3")->click();
    CSearchResultModel* results = tool->resultModel();
    // The window answers while it searches and shows that it does.
    EXPECT_TRUE(results->searching());
    EXPECT_EQ(tool->cursor().shape(), Qt::BusyCursor);
    results->wait();
    EXPECT_EQ(tool->cursor().shape(), Qt::ArrowCursor);
    ASSERT_EQ(results->hitCount(), 3);
    EXPECT_EQ(results->hit(0).kind, SearchKind::Contact);
    EXPECT_EQ(results->hit(1).kind, SearchKind::Person);
    EXPECT_EQ(results->hit(2).kind, SearchKind::Firm);
    EXPECT_FALSE(tool->results()
                     ->model()
                     ->data(tool->results()->model()->index(2, 0), Qt::DecorationRole)
                     .isNull());
    // Searching again replaces the results.
    tool->findChild<QPushButton*>("3")->click();
    results->wait();
    EXPECT_EQ(results->hitCount(), 3);

    // Jump with nothing selected does nothing; a double-click opens the hit at once.
    tool->findChild<QPushButton*>("5")->click();
    EXPECT_EQ(view<CPersonFView>("Person"), nullptr);
    QListView* list = tool->results();
    const QModelIndex firmRow = list->model()->index(2, 0);
    list->selectionModel()->setCurrentIndex(firmRow, QItemSelectionModel::ClearAndSelect);
    tool->JumpToSelected();
    auto* firmForm = view<CFirmFView>("Firm");
    ASSERT_NE(firmForm, nullptr);
    EXPECT_EQ(firmForm->OnGetRecordset()->text("name"), "Acme");
    EXPECT_EQ(frame->activeChild(), frame->frameOf(firmForm));
    EXPECT_FALSE(tool->isHidden()) << "the tool stays open after a jump";

    list->selectionModel()->setCurrentIndex(list->model()->index(1, 0),
                                            QItemSelectionModel::ClearAndSelect);
    tool->JumpToSelected();
    auto* personForm = view<CPersonFView>("Person");
    ASSERT_NE(personForm, nullptr);
    EXPECT_EQ(personForm->OnGetRecordset()->text("lastname"), "O'Brien");

    // Cancel closes the tool; the next Search builds a new one, which Esc closes.
    tool->findChild<QPushButton*>("2")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->searchTool(), nullptr);
    command(cmd::Search);
    ASSERT_NE(frame->searchTool(), nullptr);
    EXPECT_NE(frame->searchTool(), tool);
    QApplication::setActiveWindow(frame->searchTool());
    QTest::keyClick(frame->searchTool()->searchEdit(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->searchTool(), nullptr);
}

TEST_F(SearchTest, ClosingTheMainWindowClosesTheTool) {
    start();
    command(cmd::Search);
    ASSERT_NE(frame->searchTool(), nullptr);
    EXPECT_TRUE(frame->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->searchTool(), nullptr);
}

TEST_F(SearchTest, JumpToADeletedRecordShowsTheFormsNotFoundMessage) {
    fill();
    start();
    command(cmd::Search);
    CSearchDlg* tool = frame->searchTool();
    tool->searchEdit()->setText("Other");
    tool->categories()->selectAll();
    tool->Search();
    tool->resultModel()->wait();
    ASSERT_EQ(tool->resultModel()->hitCount(), 1);
    EXPECT_EQ(tool->resultModel()->line(0), "Person: Other Ann Firm: ");
    exec({"Delete From [person] Where [lastname] = 'Other'"});
    tool->results()->selectionModel()->setCurrentIndex(tool->results()->model()->index(0, 0),
                                                       QItemSelectionModel::ClearAndSelect);
    prompts.answer(Prompter::Ok);
    tool->JumpToSelected();
    EXPECT_EQ(prompts.messages(), QStringList{"No user with given id."});
    auto* personForm = view<CPersonFView>("Person");
    ASSERT_NE(personForm, nullptr);
    EXPECT_NE(personForm->OnGetRecordset()->text("lastname"), "Other");
}

TEST_F(SearchTest, AQuoteInTheTextNoLongerBreaksTheSearch) {
    fill();
    start();
    command(cmd::Search);
    CSearchDlg* tool = frame->searchTool();
    tool->searchEdit()->setText("'");
    tool->categories()->selectAll();
    tool->Search();
    tool->resultModel()->wait();
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(tool->resultModel()->hitCount(), 2);
}

// Writes through the shared connection, which announces the rows it changed.
static void write(const char* sqlite) {
    CStatement(sharedDatabase(), QString::fromUtf8(sqlite)).execute();
}

TEST_F(SearchTest, ASecondSearchStopsTheFirstWhoseHitsNeverShow) {
    fill();
    CSearchResultModel model;
    QList<int> shownCounts;
    QObject::connect(&model, &QAbstractItemModel::modelReset,
                     [&] { shownCounts << model.hitCount(); });
    model.search(databasePath(), currentPassword(), all(), "acme");
    // The first search has read the file; its hits are on their way when the second starts.
    model.waitForReading();
    model.search(databasePath(), currentPassword(), all(), "bank");
    model.wait();
    EXPECT_EQ(shown(model), QStringList{"Alarm: Call the bank Person: Ann"});
    EXPECT_FALSE(shownCounts.contains(3)) << "the first search's hits were shown";
    EXPECT_FALSE(model.searching());
    // Clearing stops a search under way as well.
    model.search(databasePath(), currentPassword(), all(), "acme");
    model.waitForReading();
    model.clear();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(model.hitCount(), 0);
}

TEST_F(SearchTest, ClosingTheToolWhileItSearchesStopsTheSearch) {
    CStatement(sharedDatabase(),
               QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < 20000) INSERT INTO Contact (person, firm) "
                              "SELECT 'Smith ' || i, 'Acme' FROM n"))
        .execute();
    start();
    command(cmd::Search);
    QPointer<CSearchDlg> tool = frame->searchTool();
    tool->searchEdit()->setText("smith");
    tool->SelectAll();
    tool->Search();
    ASSERT_TRUE(tool->resultModel()->searching());
    tool->close();
    EXPECT_FALSE(tool->resultModel()->searching());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tool.isNull());
    EXPECT_EQ(frame->searchTool(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(SearchTest, ResultsFollowUpdatesDeletesAndInsertsWithoutSearchingAgain) {
    fill();
    CSearchResultModel model;
    model.search(databasePath(), currentPassword(), all(), "acme");
    model.wait();
    ASSERT_EQ(shown(model).size(), 3);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    write("UPDATE Firm SET [group] = 'Hardware' WHERE name = 'Acme'");
    EXPECT_FALSE(model.searching());
    EXPECT_EQ(model.line(2), "Firm: Acme Group: Hardware");
    // No longer containing the text, the person leaves; another one now containing it joins
    // at its place among the persons.
    write("UPDATE Person SET firm = 'Zeta' WHERE lastname = 'O''Brien'");
    write("UPDATE Person SET description = 'ACME fan' WHERE lastname = 'Other'");
    write("INSERT INTO Firm (name) VALUES ('Acme Two')");
    write("INSERT INTO Firm (name) VALUES ('Zeta')");
    write("INSERT INTO Alarm (name, firm) VALUES ('Visit', 'acme')");
    EXPECT_EQ(shown(model), (QStringList{"Contact: O'Brien Pat Firm: Acme",
                                         "Person: Other Ann Firm: ", "Firm: Acme Group: Hardware",
                                         "Firm: Acme Two Group: ", "Alarm: Visit Person: "}));
    write("DELETE FROM Contact WHERE id > 0");
    write("DELETE FROM Firm WHERE name = 'Acme'");
    EXPECT_EQ(shown(model), (QStringList{"Person: Other Ann Firm: ", "Firm: Acme Two Group: ",
                                         "Alarm: Visit Person: "}));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_FALSE(model.searching());
    EXPECT_EQ(shown(model), lines(all(), "acme"));

    // Only the kinds searched follow.
    CSearchResultModel firms;
    firms.search(databasePath(), currentPassword(), {SearchKind::Firm}, "acme");
    firms.wait();
    write("INSERT INTO Contact (firm) VALUES ('Acme')");
    EXPECT_EQ(shown(firms), QStringList{"Firm: Acme Two Group: "});
    EXPECT_FALSE(firms.searching());
}

TEST_F(SearchTest, AChangeThatNamesNoRecordsRunsTheSearchAgainInTheBackground) {
    fill();
    CSearchResultModel model;
    model.search(databasePath(), currentPassword(), {SearchKind::Firm}, "acme");
    model.wait();
    execElsewhere("INSERT INTO Firm (name) VALUES ('Acme Elsewhere');");
    changeNotifier().announce(DataChange::all());
    EXPECT_TRUE(model.searching());
    EXPECT_EQ(model.hitCount(), 1) << "the results stay until the new ones are found";
    model.wait();
    EXPECT_EQ(shown(model),
              (QStringList{"Firm: Acme Group: Tools", "Firm: Acme Elsewhere Group: "}));

    // A change while a search is under way runs it again, as the search may have missed it.
    model.search(databasePath(), currentPassword(), {SearchKind::Firm}, "acme");
    write("INSERT INTO Firm (name) VALUES ('Acme Three')");
    model.wait();
    EXPECT_EQ(model.hitCount(), 3);
}

TEST_F(SearchTest, FollowedResultsMatchANewSearchAfterRandomSavesAndDeletes) {
    fill();
    CSearchResultModel model;
    model.search(databasePath(), currentPassword(), all(), "ac");
    model.wait();
    std::mt19937 random(17);
    const QStringList names{"Acme", "Bac", "Zed", "Mac", "Ola"};
    for (int step = 0; step < 40; ++step) {
        const QString name = names[int(random() % names.size())];
        const int id = int(random() % 8) + 1;
        const char* table = random() % 2 ? "Person" : "Firm";
        const char* column = QString::fromLatin1(table) == "Person" ? "lastname" : "name";
        QString sql;
        switch (random() % 3) {
            case 0:
                sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ('%3')").arg(table, column, name);
                break;
            case 1:
                sql = QStringLiteral("UPDATE %1 SET %2 = '%3' WHERE id <= %4")
                          .arg(table, column, name)
                          .arg(id);
                break;
            default:
                sql = QStringLiteral("DELETE FROM %1 WHERE id = %2").arg(table).arg(id);
        }
        CStatement(sharedDatabase(), sql).execute();
        ASSERT_FALSE(model.searching()) << sql.toStdString();
        ASSERT_EQ(shown(model), lines(all(), "ac")) << "after " << sql.toStdString();
    }
}
