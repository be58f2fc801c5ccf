#include <QDateTime>
#include <QRandomGenerator>

#include "ListFixture.h"
#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/ContactRcs.h"
#include "data/FirmRcs.h"
#include "data/PersonRcs.h"
#include "lists/ListRows.h"
#include "lists/ListSource.h"

namespace {

// Names whose order ignores letter case beyond ASCII, names that are equal but for their
// case, the empty name and NULL.
const char* const kNames[] = {"\xC3\x84rger",
                              "\xC3\xA4rger",
                              "\xC3\xA9mile",
                              "Emile",
                              "Stra\xC3\x9F"
                              "e",
                              "STRASSE",
                              "\xCE\xA9mega",
                              "\xCF\x89mega",
                              "",
                              "Miller",
                              "miller",
                              "Zorn",
                              nullptr};

QVariant randomName(QRandomGenerator& random) {
    const char* name = kNames[random.bounded(int(std::size(kNames)))];
    return name ? QVariant(QString::fromUtf8(name)) : QVariant();
}

QVariant randomDay(QRandomGenerator& random) {
    if (random.bounded(6) == 0)
        return {};
    return QDateTime(QDate(2026, 1 + random.bounded(3), 1 + random.bounded(3)),
                     QTime(8 + random.bounded(2), 0));
}

}  // namespace

class ListFollowTest : public ListTest {
protected:
    void openLists() {
        start();
        for (int id : {cmd::ListPersons, cmd::ListCompanies, cmd::ListContacts, cmd::ListAlarms})
            ASSERT_TRUE(command(id));
    }
    // Writes one random insert, update or delete through a record set of the table.
    template <class Records>
    void randomWrite(QRandomGenerator& random, const QStringList& columns, bool days) {
        Records records(&sharedDatabase());
        records.Open();
        const int count = records.GetRecordCount();
        const int action = count == 0 ? 0 : random.bounded(10);
        const auto fill = [&] {
            for (const QString& column : columns) {
                if (random.bounded(3) != 0)
                    records.setValue(column, days ? randomDay(random) : randomName(random));
            }
        };
        if (action < 4) {
            records.AddNew();
            fill();
            records.Update();
            return;
        }
        records.MoveFirst();
        for (int skip = random.bounded(count); skip > 0; --skip)
            records.MoveNext();
        if (action < 8) {
            records.Edit();
            fill();
            records.Update();
        } else {
            records.Delete();
        }
    }
};

TEST_F(ListFollowTest, RandomSavesAndDeletesLeaveEveryListAsAFullRefillWould) {
    openLists();
    CMyListView* persons = list("Personlist");
    CMyListView* firms = list("Firmlist");
    CMyListView* contacts = list("Contactlist");
    ASSERT_TRUE(persons && firms && contacts);
    QRandomGenerator random(17);
    for (int step = 0; step < 240; ++step) {
        switch (random.bounded(3)) {
            case 0:
                randomWrite<CPersonRcs>(random, {"lastname", "firstname"}, false);
                break;
            case 1:
                randomWrite<CFirmRcs>(random, {"name", "person"}, false);
                break;
            default:
                randomWrite<CContactRcs>(random, {"date", "time"}, true);
        }
        for (CMyListView* shown : {persons, firms, contacts})
            ASSERT_EQ(shownRows(shown), freshRows(shown))
                << shown->sourceName().toStdString() << " after step " << step;
    }
    EXPECT_GT(persons->listModel()->rowCount(), 10);
}

TEST_F(ListFollowTest, ASaveMovesOnlyItsRowAndKeepsTheFetchedPages) {
    QStringList inserts;
    for (int i = 0; i < 600; ++i)
        inserts << QStringLiteral("Insert Into [person] ([lastname]) Values ('P%1')")
                       .arg(i, 3, 10, QLatin1Char('0'));
    exec(inserts);
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    ASSERT_EQ(persons->listModel()->cellText(0, 0), "P000");
    ASSERT_EQ(persons->listModel()->cellText(599, 0), "P599");
    select(persons, 1);
    const qint32 selected = *persons->selectedId();

    // The last person moves to the top: every row moves one down, the selected one too.
    CPersonRcs records(&sharedDatabase());
    records.Open();
    ASSERT_TRUE(records.FindFirst(QStringLiteral("[lastname] = 'P599'")));
    records.Edit();
    records.setValue(QStringLiteral("lastname"), QStringLiteral("A"));
    records.Update();
    EXPECT_EQ(persons->listModel()->cellText(0, 0), "A");
    EXPECT_EQ(persons->listModel()->cellText(1, 0), "P000");
    EXPECT_EQ(persons->selectedId(), selected);
    EXPECT_EQ(persons->listModel()->rowOf(selected), 2);

    // A change near the end leaves the first page as it was fetched.
    ASSERT_TRUE(records.FindFirst(QStringLiteral("[lastname] = 'P590'")));
    records.Edit();
    records.setValue(QStringLiteral("lastname"), QStringLiteral("P595x"));
    records.Update();
    EXPECT_GE(persons->listModel()->cachedPages(), 1u);
    EXPECT_EQ(persons->listModel()->cellText(596, 0), "P595x");
    EXPECT_EQ(persons->selectedId(), selected);
    EXPECT_EQ(shownRows(persons), freshRows(persons));
}

TEST_F(ListFollowTest, TheSelectionStaysOnItsRecordWhenItMoves) {
    exec({"Insert Into [person] ([lastname]) Values ('B')",
          "Insert Into [person] ([lastname]) Values ('C')",
          "Insert Into [person] ([lastname]) Values ('D')"});
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    select(persons, 0);
    const qint32 selected = *persons->selectedId();
    CPersonRcs records(&sharedDatabase());
    records.Open();
    ASSERT_TRUE(records.FindFirst(QStringLiteral("[lastname] = 'B'")));
    records.Edit();
    records.setValue(QStringLiteral("lastname"), QString::fromUtf8("\xC3\x9C"));
    records.Update();
    EXPECT_EQ(column(persons, 0), (QStringList{"C", "D", "\xC3\x9C"}));
    EXPECT_EQ(persons->selectedId(), selected);
    // The selected record deleted: nothing is selected, the others stay.
    ASSERT_TRUE(records.FindFirst(QStringLiteral("[id] = %1").arg(selected)));
    records.Delete();
    EXPECT_EQ(column(persons, 0), (QStringList{"C", "D"}));
    EXPECT_EQ(persons->selectedId(), std::nullopt);
}

TEST_F(ListFollowTest, AnotherProgramsChangeFillsTheListAgain) {
    exec({"Insert Into [person] ([lastname]) Values ('B')"});
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    ASSERT_EQ(column(persons, 0), (QStringList{"B"}));
    execElsewhere(
        "Insert Into [person] ([lastname]) Values ('A');"
        "Update [person] Set [lastname] = 'C' Where [lastname] = 'B';");
    EXPECT_EQ(persons->listModel()->rowCount(), 1) << "not heard of yet";
    changeNotifier().announce(DataChange::all());
    EXPECT_EQ(column(persons, 0), (QStringList{"A", "C"}));
}

TEST_F(ListFollowTest, AFilteredOrUserSortedListIsFilledAgainInItsDefaultOrder) {
    exec({"Insert Into [person] ([lastname], [firstname]) Values ('A', 'z')",
          "Insert Into [person] ([lastname], [firstname]) Values ('B', 'y')",
          "Insert Into [person] ([lastname], [firstname]) Values ('Ab', 'x')"});
    start();
    command(cmd::ListPersons);
    CMyListView* persons = list("Personlist");
    filter(0, QStringLiteral("A*"));
    ASSERT_EQ(column(persons, 0), (QStringList{"Ab"}));
    CPersonRcs records(&sharedDatabase());
    records.Open();
    records.AddNew();
    records.setValue(QStringLiteral("lastname"), QStringLiteral("Aa"));
    records.setValue(QStringLiteral("firstname"), QStringLiteral("w"));
    records.Update();
    EXPECT_EQ(column(persons, 0), (QStringList{"A", "Aa", "Ab", "B"}));

    persons->SortByColumn(1);
    ASSERT_EQ(column(persons, 0), (QStringList{"Aa", "Ab", "B", "A"}));
    ASSERT_TRUE(records.FindFirst(QStringLiteral("[lastname] = 'B'")));
    records.Edit();
    records.setValue(QStringLiteral("lastname"), QStringLiteral("Ba"));
    records.Update();
    EXPECT_EQ(persons->currentSort(), "lastname asc, firstname asc");
    EXPECT_EQ(column(persons, 0), (QStringList{"A", "Aa", "Ab", "Ba"}));
}
