#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include "StoreFixture.h"
#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/PersonRcs.h"
#include "data/ServerConnection.h"
#include "lists/ListFixture.h"
#include "lists/ListRows.h"
#include "lists/ListSource.h"
#include "lists/SearchQuery.h"
#include "lists/SearchResultModel.h"

namespace {

QString personInsert(const QString& last, const QString& first) {
    return QStringLiteral("Insert Into [person] ([lastname], [firstname]) Values ('%1', '%2')")
        .arg(last, first);
}

// Names whose order ignores letter case beyond ASCII, names equal but for their case, the
// empty name and NULL.
const char* const kNames[] = {"Ärger", "ärger", "émile",  "Emile",  "Straße", "STRASSE", "Ωmega",
                              "ωmega", "",      "Miller", "miller", "Zorn",   nullptr};

}  // namespace

class ListOnStore : public OnStore<ListTest> {
protected:
    // The open person list of `count` persons "Name00", "Name01", ..., all named "Ann".
    CMyListView* personListOfNames(int count) {
        QStringList inserts;
        for (int i = 0; i < count; ++i)
            inserts << personInsert(QStringLiteral("Name%1").arg(i, 2, 10, QChar(u'0')), "Ann");
        exec(inserts);
        start();
        return command(cmd::ListPersons) ? list("Personlist") : nullptr;
    }
};

TEST_P(ListOnStore, PersonListSortsAndFiltersNamesIgnoringLetterCaseBeyondAscii) {
    // Written through the connection's Execute, in the engine's dialect.
    exec({personInsert("Zorn", "Anna"), personInsert("adams", "Bob"), personInsert("MÜLLER", "Eva"),
          personInsert("Müller", "Max"), personInsert("Brown", "Bea"),
          personInsert("O''Brien", "Pat")});
    start();
    ASSERT_TRUE(command(cmd::ListPersons));
    CMyListView* persons = list("Personlist");
    ASSERT_NE(persons, nullptr);
    EXPECT_EQ(column(persons, 0),
              (QStringList{"adams", "Brown", "MÜLLER", "Müller", "O'Brien", "Zorn"}));

    filter(0, "müller");
    EXPECT_EQ(column(persons, 1), (QStringList{"Eva", "Max"}));
    filter(0, "", "1053");  // Reset
    filter(0, "o'b*");
    EXPECT_EQ(column(persons, 0), QStringList{"O'Brien"});
    command(cmd::FilterOff);
    EXPECT_EQ(persons->listModel()->rowCount(), 6);
}

TEST_P(ListOnStore, SavesAndDeletesLeaveTheListAsAFullReadWould) {
    start();
    QRandomGenerator random(11);
    const auto name = [&random]() -> QVariant {
        const char* chosen = kNames[random.bounded(int(std::size(kNames)))];
        return chosen ? QVariant(QString::fromUtf8(chosen)) : QVariant();
    };
    CPersonRcs records(&sharedDatabase());
    records.Open();
    // More rows than a server is asked for at once: a row's place takes several rounds.
    for (int i = 0; i < 120; ++i) {
        records.AddNew();
        records.setValue(QStringLiteral("lastname"), name());
        records.setValue(QStringLiteral("firstname"), name());
        records.Update();
    }
    records.Requery();
    ASSERT_TRUE(command(cmd::ListPersons));
    CMyListView* persons = list("Personlist");
    ASSERT_NE(persons, nullptr);
    for (int step = 0; step < 40 && !HasFailure(); ++step) {
        const int count = records.GetRecordCount();
        const int action = random.bounded(8);
        if (action < 4) {
            records.AddNew();
        } else {
            records.MoveFirst();
            for (int skip = random.bounded(count); skip > 0; --skip)
                records.MoveNext();
            if (action == 7) {
                records.Delete();
                records.Requery();
                EXPECT_EQ(shownRows(persons), freshRows(persons)) << "step " << step;
                continue;
            }
            records.Edit();
        }
        records.setValue(QStringLiteral("lastname"), name());
        records.setValue(QStringLiteral("firstname"), name());
        records.Update();
        records.Requery();
        EXPECT_EQ(shownRows(persons), freshRows(persons)) << "step " << step;
    }
}

// Rows deleted by another connection without a word of it, then a change the list hears of:
// the search for the changed row's place meets a listed row that is gone, and the list
// reads everything again rather than placing the row among stale keys.
TEST_P(ListOnStore, AListedRowGoneWithoutAWordMakesTheListReadAgain) {
    CMyListView* persons = personListOfNames(80);
    ASSERT_NE(persons, nullptr);
    ASSERT_EQ(persons->listModel()->rowCount(), 80);

    CDatabase other;
    other.Open(databasePath(), false, false, connectText(currentPassword()));
    if (onServer())  // the server's triggers announce nothing during a bulk copy
        other.Execute(QStringLiteral("SET tarvex.bulk_copy = 'on'"));
    other.Execute(QStringLiteral("Delete From [person] Where [lastname] Like 'Name*[02468]'"));
    other.Execute(
        QStringLiteral("Update [person] Set [lastname] = 'Name00b' Where [lastname] = 'Name41'"));
    const qint32 renamed = persons->listModel()->idAt(41);
    DataChange change;
    change.tables.push_back({QStringLiteral("Person"), {}, {renamed}, {}});
    changeNotifier().announce(change);
    persons->waitForRefill();
    QApplication::processEvents();
    EXPECT_EQ(persons->listModel()->rowCount(), 40);
    EXPECT_EQ(shownRows(persons), freshRows(persons));
}

// A save that leaves a row's sort keys as they were (its other texts, or its name's letter
// case) keeps the row where it is: the list reads that row again and repaints it alone. A
// save that moves it takes it out and puts it in its new place.
TEST_P(ListOnStore, ARowWhoseSortKeysStayIsReadAgainInItsPlace) {
    CMyListView* persons = personListOfNames(40);
    ASSERT_NE(persons, nullptr);
    ASSERT_EQ(shownRows(persons), freshRows(persons));  // every row's texts fetched

    CListModel* model = persons->listModel();
    const auto save = [&](int row, const QString& assignment) {
        const qint32 id = model->idAt(row);
        exec({QStringLiteral("Update [person] Set %1 Where [id] = %2").arg(assignment).arg(id)});
        QApplication::processEvents();
        return id;
    };
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    for (const int row : {0, 17, 39}) {
        changed.clear();
        const qint32 id = save(row, QStringLiteral("[function] = 'Buyer %1'").arg(row));
        EXPECT_EQ(model->idAt(row), id);
        ASSERT_EQ(changed.size(), 1) << row;
        EXPECT_EQ(changed[0][0].toModelIndex().row(), row);
        EXPECT_EQ(changed[0][1].toModelIndex().row(), row);
    }
    save(25, QStringLiteral("[lastname] = 'NAME25'"));
    EXPECT_EQ(removed.size(), 0);
    EXPECT_EQ(shownRows(persons), freshRows(persons));

    const qint32 moved = save(3, QStringLiteral("[lastname] = 'Name395'"));
    EXPECT_EQ(removed.size(), 1);
    EXPECT_EQ(model->idAt(39), moved);
    EXPECT_EQ(shownRows(persons), freshRows(persons));
}

INSTANTIATE_ON_BOTH_STORES(ListOnStore);

class ListOnServer : public OnStore<ListTest> {};

// A colleague's save reaches the open list through the server's announcement alone.
TEST_P(ListOnServer, AnotherUsersSaveAppearsInTheOpenList) {
    exec({personInsert("Adams", "Bob")});
    start();
    ASSERT_TRUE(command(cmd::ListPersons));
    CMyListView* persons = list("Personlist");
    ASSERT_NE(persons, nullptr);
    CServerConnection colleague(databasePath(), currentPassword());
    colleague.exec(
        QStringLiteral("INSERT INTO \"Person\" (lastname, firstname) VALUES "
                       "('Ärger', 'Eve')"));
    for (int i = 0; i < 100 && persons->listModel()->rowCount() < 2; ++i) {
        QTest::qWait(20);
        sharedDatabase().takeServerNotifications();
        sharedDatabase().announceCommitted();
    }
    EXPECT_EQ(column(persons, 0), (QStringList{"Adams", "Ärger"}));
}

INSTANTIATE_TEST_SUITE_P(Store, ListOnServer, testing::Values(Store::Server), storeName);

class SearchOnStore : public OnStore<ListTest> {
protected:
    QStringList lines(std::vector<SearchKind> kinds, const QString& text) {
        CSearchResultModel model;
        model.search(databasePath(), currentPassword(), kinds, text);
        model.wait();
        QStringList found;
        for (int r = 0; r < model.hitCount(); ++r)
            found << model.line(r);
        return found;
    }
};

TEST_P(SearchOnStore, HitsAcrossTablesIgnoreLetterCaseAndKeepSpecialCharacters) {
    exec(
        {"Insert Into [person] ([lastname], [firstname], [firm]) Values "
         "('O''Brien', 'Pat', 'Acme')",
         "Insert Into [person] ([lastname], [firstname], [description]) Values "
         "('MÜLLER', 'Hans', '100% sure_thing [x] #1')",
         "Insert Into [firm] ([name], [group]) Values ('Acme', 'Tools')",
         "Insert Into [contact] ([date], [time], [person], [firm]) Values "
         "('2024-02-03 14:15:16', '2024-02-03 14:15:16', 'O''Brien Pat', 'Acme')",
         "Insert Into [alarm] ([name], [person], [status]) Values ('Call the bank', 'Ann', 1)"});
    const std::vector<SearchKind> all{SearchKind::Contact, SearchKind::Person, SearchKind::Firm,
                                      SearchKind::Alarm};
    EXPECT_EQ(lines(all, "o'brien"),
              (QStringList{"Contact: O'Brien Pat Firm: Acme", "Person: O'Brien Pat Firm: Acme"}));
    EXPECT_EQ(lines({SearchKind::Person}, "müller"), QStringList{"Person: MÜLLER Hans Firm: "});
    EXPECT_EQ(lines({SearchKind::Person}, "M?LLER").size(), 1);
    for (const char* literal : {"100%", "sure_thing", "[x]", "#1"})
        EXPECT_EQ(lines({SearchKind::Person}, QString::fromUtf8(literal)).size(), 1) << literal;
    EXPECT_TRUE(lines({SearchKind::Person}, "_thingx").isEmpty());
    EXPECT_EQ(lines({SearchKind::Firm}, "ACME"), QStringList{"Firm: Acme Group: Tools"});
    EXPECT_EQ(lines({SearchKind::Alarm}, "bank"), QStringList{"Alarm: Call the bank Person: Ann"});
    // Moments are found as the lists show them.
    EXPECT_EQ(lines({SearchKind::Contact}, "2024/02/03").size(), 1);
    EXPECT_EQ(lines({SearchKind::Contact}, "14:15").size(), 1);
}

// The tool readies its connections when it opens (on a server); a search while it does, or
// after, finds what a tool that was not readied finds, and the readying is no search.
TEST_P(SearchOnStore, ASearchWhileOrAfterTheToolIsReadiedFindsTheSame) {
    exec({"Insert Into [person] ([lastname], [firstname]) Values ('MÜLLER', 'Hans')",
          "Insert Into [person] ([lastname], [firstname]) Values ('Brown', 'Bea')"});
    for (const bool readied : {false, true}) {
        CSearchResultModel model;
        model.prepare(databasePath(), currentPassword());
        EXPECT_FALSE(model.searching());
        if (readied)
            model.wait();
        model.search(databasePath(), currentPassword(), {SearchKind::Person}, "müller");
        EXPECT_TRUE(model.searching());
        model.wait();
        EXPECT_FALSE(model.searching());
        ASSERT_EQ(model.hitCount(), 1) << readied;
        EXPECT_EQ(model.line(0), u"Person: MÜLLER Hans Firm: ") << readied;
        model.search(databasePath(), currentPassword(), {SearchKind::Person}, "brown");
        model.wait();
        ASSERT_EQ(model.hitCount(), 1) << readied;
        EXPECT_EQ(model.line(0), u"Person: Brown Bea Firm: ") << readied;
    }
}

INSTANTIATE_ON_BOTH_STORES(SearchOnStore);
