#include <gtest/gtest.h>

#include "DataTestSupport.h"
#include "data/AlarmRcs.h"
#include "data/ChangeNotifier.h"
#include "data/ContactRcs.h"
#include "data/FirmFirmQRcs.h"
#include "data/FirmPersonQRcs.h"
#include "data/FirmRcs.h"
#include "data/GroupRcs.h"
#include "data/PersonFirmQRcs.h"
#include "data/PersonPersonQRcs.h"
#include "data/PersonRcs.h"
#include "data/Sharks2Rcs.h"
#include "data/SharksRcs.h"
#include "data/SqlDialect.h"

namespace {

class RecordSetTest : public DataTest {
protected:
    void addPersons(std::initializer_list<const char*> names) {
        CPersonRcs persons(&db);
        persons.Open();
        for (const char* name : names) {
            const QStringList parts = QString::fromUtf8(name).split(u' ');
            add(persons, {{"lastname", parts[0]}, {"firstname", parts.value(1)}});
        }
    }
    // The set's records are in the order a new query of the same sort gives. Equal records
    // may stand in either order in the engine's answer: where the keys differ, the sort
    // texts must be equal.
    void expectTheOrderOfAQuery(CPersonRcs& persons) {
        const QList<qint64> placed = keysOf(persons);
        CPersonRcs fresh(&db);
        fresh.m_strSort = persons.m_strSort;
        fresh.Open();
        const QList<qint64> queried = keysOf(fresh);
        ASSERT_EQ(placed.size(), queried.size()) << persons.m_strSort.toStdString();
        for (qsizetype i = 0; i < placed.size(); ++i) {
            if (placed[i] == queried[i])
                continue;
            persons.SetBookmark(placed[i]);
            fresh.SetBookmark(queried[i]);
            EXPECT_EQ(persons.text("lastname").toLower() + persons.text("firstname").toLower(),
                      fresh.text("lastname").toLower() + fresh.text("firstname").toLower())
                << persons.m_strSort.toStdString() << " at " << i;
        }
    }
    static QList<qint64> keysOf(CRecordSet& records) {
        QList<qint64> keys;
        for (records.MoveFirst(); !records.IsEOF(); records.MoveNext())
            keys << records.GetBookmark();
        return keys;
    }
    static QStringList order(CRecordSet& records, const char* column = "lastname") {
        QStringList seen;
        for (records.MoveFirst(); !records.IsEOF(); records.MoveNext())
            seen << records.text(QLatin1String(column));
        return seen;
    }
};

// The values of a record read back through a second connection.
QVariant storedValue(const QString& table, qint64 id, const QString& column) {
    CDatabase other;
    other.Open(databasePath());
    CRecordSet records(&other);
    records.m_strFilter = QStringLiteral("id = %1").arg(id);
    records.Open(CRecordSet::dbOpenDynaset, u'[' + table + u']');
    return records.IsEOF() ? QVariant(QStringLiteral("<missing>")) : records.GetFieldValue(column);
}

}  // namespace

TEST_F(RecordSetTest, NewRecordSetsHoldEmptyZeroAndDayZero) {
    const QDateTime dayZero(QDate(1899, 12, 30), QTime(0, 0));
    CPersonRcs person(&db);
    EXPECT_EQ(person.value(QStringLiteral("lastname")), QVariant(QString()));
    EXPECT_EQ(person.value(QStringLiteral("id")), QVariant(0));
    EXPECT_EQ(person.GetDefaultSQL(), QStringLiteral("[Person]"));
    EXPECT_EQ(CFirmRcs(&db).GetDefaultSQL(), QStringLiteral("[Firm]"));
    CAlarmRcs alarm(&db);
    EXPECT_EQ(alarm.dateTime(QStringLiteral("date")), dayZero);
    EXPECT_EQ(alarm.longValue(QStringLiteral("status")), 0);
    EXPECT_EQ(CContactRcs(&db).dateTime(QStringLiteral("time")), dayZero);
    EXPECT_EQ(CGroupRcs(&db).text(QStringLiteral("Name")), QString());
    EXPECT_EQ(CSharksRcs(&db).value(QStringLiteral("family_papa_occupation")), QVariant(QString()));
    EXPECT_EQ(CSharks2Rcs(&db).longValue(QStringLiteral("id_firm")), 0);
    EXPECT_EQ(CPersonPersonQRcs(&db).GetDefaultSQL(), QStringLiteral("[PersonPersonQuery]"));
    EXPECT_EQ(CFirmFirmQRcs(&db).text(QStringLiteral("name")), QString());
}

TEST_F(RecordSetTest, EmptySetIsBeforeFirstAndAfterLast) {
    CPersonRcs persons(&db);
    persons.Open();
    EXPECT_TRUE(persons.IsBOF());
    EXPECT_TRUE(persons.IsEOF());
    EXPECT_EQ(persons.GetRecordCount(), 0);
    EXPECT_EQ(persons.GetAbsolutePosition(), -1);
    EXPECT_THROW(persons.MoveNext(), CDbException);
    EXPECT_THROW(persons.Edit(), CDbException);
    EXPECT_THROW(persons.GetBookmark(), CDbException);
    EXPECT_NO_THROW(persons.MoveFirst());
    EXPECT_NO_THROW(persons.MoveLast());
}

TEST_F(RecordSetTest, FilterSortNavigationAndPositions) {
    addPersons({"Zorn Anna", "adams Bob", "Adams Al", "Miller Max", "Brown Bea"});
    CPersonRcs persons(&db);
    persons.m_strFilter = QStringLiteral("[lastname] <> 'Brown'");
    persons.m_strSort = QStringLiteral("lastname asc, firstname desc");
    persons.Open();
    EXPECT_EQ(persons.GetRecordCount(), 4);
    EXPECT_EQ(persons.text(QStringLiteral("firstname")), QStringLiteral("Bob"));
    EXPECT_FALSE(persons.IsBOF());
    EXPECT_EQ(persons.GetAbsolutePosition(), 0);
    persons.MovePrev();
    EXPECT_TRUE(persons.IsBOF());
    EXPECT_FALSE(persons.IsEOF());
    EXPECT_EQ(persons.GetAbsolutePosition(), -1);
    persons.MoveNext();
    EXPECT_EQ(persons.text(QStringLiteral("firstname")), QStringLiteral("Bob"));
    persons.MoveLast();
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("Zorn"));
    EXPECT_EQ(persons.GetAbsolutePosition(), 3);
    persons.MoveNext();
    EXPECT_TRUE(persons.IsEOF());
    persons.MovePrev();
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("Zorn"));
    EXPECT_EQ(order(persons), (QStringList{QStringLiteral("adams"), QStringLiteral("Adams"),
                                           QStringLiteral("Miller"), QStringLiteral("Zorn")}));

    // Requery applies a changed filter and sort and returns to the first record.
    persons.m_strFilter = QStringLiteral("[lastname] + \" \" + [firstname] like 'a* b*'");
    persons.m_strSort.clear();
    persons.Requery();
    EXPECT_EQ(persons.GetRecordCount(), 1);
    EXPECT_EQ(persons.text(QStringLiteral("firstname")), QStringLiteral("Bob"));
}

TEST_F(RecordSetTest, FindFirstSearchesInTheSetsOrder) {
    addPersons({"Miller Max", "Adams Al", "Miller Ann", "Zorn Zoe"});
    CPersonRcs persons(&db);
    persons.m_strSort = QStringLiteral("lastname, firstname");
    persons.m_strFilter = QStringLiteral("firstname <> 'Zoe'");
    persons.Open();
    persons.MoveLast();
    EXPECT_TRUE(persons.FindFirst(QStringLiteral("lastname = 'MILLER'")));
    EXPECT_EQ(persons.text(QStringLiteral("firstname")), QStringLiteral("Ann"));
    EXPECT_EQ(persons.GetAbsolutePosition(), 1);
    // A record outside the filter is not found; the position stays.
    EXPECT_FALSE(persons.FindFirst(QStringLiteral("firstname = 'Zoe'")));
    EXPECT_EQ(persons.text(QStringLiteral("firstname")), QStringLiteral("Ann"));
    const qint64 adams = persons.GetBookmark() - 1;
    EXPECT_TRUE(persons.FindFirst(QStringLiteral("ID = %1").arg(adams)));
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("Adams"));
    EXPECT_THROW(persons.FindFirst(QStringLiteral("nosuchcolumn = 1")), CDbException);
}

TEST_F(RecordSetTest, AddEditCancelAreStoredAndReadBack) {
    CContactRcs contacts(&db);
    contacts.Open();
    const QDateTime moment(QDate(2003, 4, 5), QTime(10, 20, 30));
    contacts.AddNew();
    EXPECT_EQ(contacts.GetEditMode(), CRecordSet::dbEditAdd);
    EXPECT_TRUE(contacts.value(QStringLiteral("person")).isNull());
    contacts.setValue(QStringLiteral("person"), QStringLiteral("O'Brien Pat"));
    contacts.setValue(QStringLiteral("date"), moment);
    contacts.setValue(QStringLiteral("time"), moment);
    contacts.setValue(QStringLiteral("id"), 999);  // never written
    contacts.Update();
    const qint64 first = contacts.GetLastModifiedBookmark();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(contacts.GetEditMode(), CRecordSet::dbEditNone);
    // The set was empty: still no current record, but the new one is in the set.
    EXPECT_TRUE(contacts.IsBOF());
    EXPECT_EQ(contacts.GetRecordCount(), 1);
    contacts.SetBookmark(first);
    EXPECT_EQ(contacts.dateTime(QStringLiteral("date")), moment);
    EXPECT_EQ(storedValue(QStringLiteral("Contact"), first, QStringLiteral("time")),
              QVariant(moment));
    EXPECT_TRUE(storedValue(QStringLiteral("Contact"), first, QStringLiteral("firm")).isNull());

    // A second record: the current one stays current.
    const qint64 second =
        add(contacts, {{"person", QStringLiteral("Smith Jo")}, {"firm", QString()}});
    EXPECT_EQ(second, 2);
    EXPECT_EQ(contacts.GetBookmark(), first);
    EXPECT_EQ(storedValue(QStringLiteral("Contact"), second, QStringLiteral("firm")),
              QVariant(QString()));

    contacts.Edit();
    contacts.setValue(QStringLiteral("description"), QStringLiteral("first call"));
    contacts.CancelUpdate();
    EXPECT_EQ(contacts.text(QStringLiteral("description")), QString());
    contacts.Edit();
    contacts.setValue(QStringLiteral("description"), QStringLiteral("second call"));
    contacts.setValue(QStringLiteral("date"), QVariant());
    contacts.Update();
    EXPECT_EQ(contacts.GetLastModifiedBookmark(), first);
    EXPECT_EQ(contacts.text(QStringLiteral("description")), QStringLiteral("second call"));
    EXPECT_EQ(storedValue(QStringLiteral("Contact"), first, QStringLiteral("description")),
              QVariant(QStringLiteral("second call")));
    EXPECT_TRUE(storedValue(QStringLiteral("Contact"), first, QStringLiteral("date")).isNull());

    // A name with a quote is found through a quoted condition, also with LIKE.
    CContactRcs found(&db);
    found.m_strFilter =
        QStringLiteral("person = '%1'").arg(sqlQuoted(QStringLiteral("o'brien PAT")));
    found.Open();
    EXPECT_EQ(found.GetRecordCount(), 1);
    EXPECT_TRUE(found.FindFirst(
        QStringLiteral("person like '%1*'").arg(likeLiteral(QStringLiteral("O'B")))));
}

TEST_F(RecordSetTest, LikeLiteralMatchesOnlyItself) {
    CFirmRcs firms(&db);
    firms.Open();
    for (const char* name : {"A*B?#[x]", "AzB1#[x]", "A*B?9x]", "a*b?#[X]"})
        add(firms, {{"name", QLatin1String(name)}});
    CFirmRcs found(&db);
    found.m_strFilter =
        QStringLiteral("name like '%1'").arg(likeLiteral(QStringLiteral("A*B?#[x]")));
    found.Open();
    EXPECT_EQ(order(found, "name"),
              (QStringList{QStringLiteral("A*B?#[x]"), QStringLiteral("a*b?#[X]")}));
}

TEST_F(RecordSetTest, DeleteLeavesNoCurrentRecordUntilAMove) {
    addPersons({"A", "B", "C"});
    CPersonRcs persons(&db);
    persons.m_strSort = QStringLiteral("lastname");
    persons.Open();
    persons.MoveNext();
    persons.Delete();
    EXPECT_THROW(persons.Edit(), CDbException);
    EXPECT_EQ(persons.GetAbsolutePosition(), -1);
    EXPECT_FALSE(persons.IsEOF());
    persons.MoveNext();
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("C"));

    // The last record: the next move reaches the end, the one before is the new last.
    persons.Delete();
    persons.MoveNext();
    EXPECT_TRUE(persons.IsEOF());
    persons.MovePrev();
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("A"));

    // The only record: the set is empty.
    persons.Delete();
    EXPECT_TRUE(persons.IsBOF());
    EXPECT_TRUE(persons.IsEOF());
    EXPECT_EQ(persons.GetRecordCount(), 0);
    persons.SetFieldNull();
    EXPECT_TRUE(persons.value(QStringLiteral("lastname")).isNull());
    persons.Requery();
    EXPECT_EQ(persons.GetRecordCount(), 0);
}

TEST_F(RecordSetTest, RowsDeletedElsewhereAreSkipped) {
    addPersons({"A", "B", "C"});
    CPersonRcs persons(&db);
    persons.m_strSort = QStringLiteral("lastname");
    persons.Open();
    CPersonRcs other(&db);
    other.m_strFilter = QStringLiteral("lastname = 'B'");
    other.Open();
    other.Delete();
    persons.MoveNext();
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("C"));
    EXPECT_EQ(persons.GetRecordCount(), 2);
}

TEST_F(RecordSetTest, FieldsByIndexAndNameInTableOrder) {
    addPersons({"Smith Jo"});
    CRecordSet sharksDump(&db);
    CSharks2Rcs dossier(&db);
    dossier.Open();
    add(dossier, {{"id_firm", 7}, {"basic_number of workers", QStringLiteral("12")}});
    sharksDump.Open(CRecordSet::dbOpenDynaset,
                    QStringLiteral("select * from [sharks2] where [id_firm] = 7"));
    ASSERT_EQ(sharksDump.GetFieldCount(), 39);
    EXPECT_EQ(sharksDump.GetFieldInfo(2).m_strName, QStringLiteral("basic_number of workers"));
    EXPECT_EQ(sharksDump.GetFieldValue(2), QVariant(QStringLiteral("12")));
    EXPECT_EQ(sharksDump.GetFieldValue(1), QVariant(7));
    EXPECT_TRUE(sharksDump.GetFieldValue(3).isNull());
    EXPECT_EQ(sharksDump.GetName(), QStringLiteral("select * from [sharks2] where [id_firm] = 7"));

    CPersonRcs persons(&db);
    persons.Open();
    EXPECT_EQ(persons.GetFieldInfo(1).m_strName, QStringLiteral("lastname"));
    EXPECT_EQ(persons.GetFieldInfo(0).m_nType, FieldType::Long);
    EXPECT_EQ(persons.GetFieldValue(QStringLiteral("LASTNAME")), QVariant(QStringLiteral("Smith")));
    EXPECT_EQ(persons.GetName(), QStringLiteral("Person"));
    EXPECT_FALSE(persons.FindFirst(QStringLiteral("[group] like '*'")));  // null matches nothing
    EXPECT_TRUE(dossier.FindFirst(QStringLiteral("[basic_number of workers] = \"12\"")));
    EXPECT_THROW(persons.GetFieldValue(99), CDbException);
}

TEST_F(RecordSetTest, QueriesAndSelectsAreReadOnly) {
    addPersons({"Smith Jo", "smith Jo", "Brown Bea"});
    CFirmRcs firms(&db);
    firms.Open();
    add(firms, {{"name", QStringLiteral("Acme")}, {"person", QStringLiteral("Smith Jo")}});
    CPersonPersonQRcs names(&db);
    names.m_strSort = QStringLiteral("Expr1");
    names.Open();
    EXPECT_EQ(order(names, "Expr1"),
              (QStringList{QStringLiteral("Brown Bea"), QStringLiteral("Smith Jo"),
                           QStringLiteral("smith Jo")}));
    EXPECT_THROW(names.Edit(), CDbException);
    EXPECT_TRUE(names.FindFirst(QStringLiteral("Expr1 like 'smith*'")));
    CFirmPersonQRcs firmPersons(&db);
    firmPersons.Open();
    EXPECT_EQ(firmPersons.text(QStringLiteral("person")), QStringLiteral("Smith Jo"));
    CRecordSet join(&db);
    join.Open(CRecordSet::dbOpenDynaset,
              QStringLiteral("select p.lastname, f.name from [Person] p, [Firm] f "
                             "where p.lastname + ' ' + p.firstname = f.person"));
    EXPECT_EQ(join.GetRecordCount(), 2);
    EXPECT_THROW(join.AddNew(), CDbException);
}

TEST_F(RecordSetTest, ForwardOnlyStreamsRows) {
    addPersons({"B", "A", "C"});
    CPersonRcs persons(&db);
    persons.m_strSort = QStringLiteral("lastname desc");
    persons.Open(CRecordSet::dbOpenForwardOnly);
    QStringList seen;
    for (; !persons.IsEOF(); persons.MoveNext())
        seen << persons.text(QStringLiteral("lastname"));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}));
    EXPECT_THROW(persons.MovePrev(), CDbException);
    EXPECT_THROW(persons.AddNew(), CDbException);
}

TEST_F(RecordSetTest, WithoutConnectionOpensTheFileWithTheCurrentPassword) {
    addPersons({"Smith Jo"});
    CPersonRcs persons(nullptr);
    persons.Open();
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("Smith"));
    persons.Close();
    setDatabasePath(path(QStringLiteral("nothere.mdb")));
    EXPECT_THROW(persons.Open(), CDbException);
    EXPECT_FALSE(persons.IsOpen());
}

TEST_F(RecordSetTest, ClosingTheConnectionClosesItsRecordSets) {
    addPersons({"Smith Jo"});
    CPersonRcs persons(&db);
    persons.Open();
    db.Close();
    EXPECT_FALSE(persons.IsOpen());
    EXPECT_THROW(persons.MoveNext(), CDbException);
    EXPECT_THROW(persons.Requery(), CDbException);
}

TEST_F(RecordSetTest, AnAddedRecordIsPlacedWhereTheQueryWouldPutIt) {
    addPersons({"müller b", "Adams z", "MÜLLER a", "Zorn", "ölberg x", "adams a", "Brandt"});
    for (const char* sort :
         {"lastname, firstname", "[lastname] desc, firstname asc", "firstname desc", "lastname"}) {
        CPersonRcs persons(&db);
        persons.m_strSort = QLatin1String(sort);
        persons.Open();
        for (const char* name : {"Müller a", "aaa", "ÖLBERG", "zzz y", "Brandt", "", "mz"}) {
            persons.AddNew();
            const QStringList parts = QString::fromUtf8(name).split(u' ');
            persons.setValue(QStringLiteral("lastname"), parts[0]);
            if (parts.size() > 1)
                persons.setValue(QStringLiteral("firstname"), parts[1]);
            persons.Update();
            const qint64 added = persons.GetLastModifiedBookmark();
            ASSERT_TRUE(persons.PlaceLastAdded()) << sort;
            EXPECT_EQ(persons.GetBookmark(), added);
            expectTheOrderOfAQuery(persons);
            persons.SetBookmark(added);
        }
    }
    // A filtered set cannot tell whether the new record belongs to it.
    CPersonRcs filtered(&db);
    filtered.m_strFilter = QStringLiteral("lastname = 'Zorn'");
    filtered.m_strSort = QStringLiteral("lastname");
    filtered.Open();
    add(filtered, {{"lastname", QStringLiteral("Other")}});
    EXPECT_FALSE(filtered.PlaceLastAdded());
}

// Rows that another writer inserted, renamed and deleted are taken into the keys as a new
// query would give them, without reading every key again.
TEST_F(RecordSetTest, RowsWrittenElsewhereArePlacedWhereTheQueryWouldPutThem) {
    addPersons({"müller b", "Adams z", "MÜLLER a", "Zorn", "ölberg x", "adams a", "Brandt"});
    for (const char* sort : {"lastname, firstname", "[lastname] desc, firstname asc", "id"}) {
        CPersonRcs persons(&db);
        persons.m_strSort = QLatin1String(sort);
        persons.Open();
        persons.MoveLast();

        CPersonRcs other(&db);
        other.Open();
        TableChange change{QStringLiteral("Person"), {}, {}, {}};
        for (const char* name : {"Müller a", "aaa", "ÖLBERG", "zzz y", ""}) {
            add(other, {{"lastname", QString::fromUtf8(name).section(u' ', 0, 0)},
                        {"firstname", QString::fromUtf8(name).section(u' ', 1)}});
            change.inserted.push_back(qint32(other.GetLastModifiedBookmark()));
        }
        // Renamed to a name another record has: equal records stand in the order of their
        // keys.
        other.MoveFirst();
        other.Edit();
        other.setValue(QStringLiteral("lastname"), QStringLiteral("ADAMS"));
        other.setValue(QStringLiteral("firstname"), QStringLiteral("A"));
        other.Update();
        change.updated.push_back(qint32(other.GetLastModifiedBookmark()));
        other.MoveNext();
        change.deleted.push_back(qint32(other.GetBookmark()));
        other.Delete();
        // Inserted and deleted again before the change arrived.
        change.inserted.push_back(change.deleted.back());

        ASSERT_TRUE(persons.FollowChange(change)) << sort;
        EXPECT_EQ(persons.GetAbsolutePosition(), 0);
        EXPECT_EQ(persons.GetRecordCount(), other.GetRecordCount());
        CPersonRcs fresh(&db);
        fresh.m_strSort = persons.m_strSort;
        fresh.Open();
        EXPECT_EQ(keysOf(persons), keysOf(fresh)) << sort;
    }
    // A row gone without a word of it: the keys are stale, and the set stays as it was.
    CPersonRcs stale(&db);
    stale.m_strSort = QStringLiteral("id");
    stale.Open();
    stale.MoveLast();
    const QString shown = stale.text(QStringLiteral("lastname"));
    const int count = stale.GetRecordCount();
    CPersonRcs writer(&db);
    writer.Open();
    for (int i = 0; i < count / 2; ++i)
        writer.MoveNext();
    writer.Delete();
    add(writer, {{"lastname", QStringLiteral("New")}});
    EXPECT_FALSE(stale.FollowChange(
        {QStringLiteral("Person"), {qint32(writer.GetLastModifiedBookmark())}, {}, {}}));
    EXPECT_EQ(stale.GetRecordCount(), count);
    EXPECT_EQ(stale.text(QStringLiteral("lastname")), shown);
    // A filtered set cannot tell whether the rows belong to it: it keeps its keys.
    CPersonRcs filtered(&db);
    filtered.m_strFilter = QStringLiteral("lastname = 'Zorn'");
    filtered.Open();
    const int kept = filtered.GetRecordCount();
    EXPECT_FALSE(filtered.FollowChange({QStringLiteral("Person"), {1}, {}, {}}));
    EXPECT_EQ(filtered.GetRecordCount(), kept);
    // Nor can a set whose source has a condition of its own.
    CPersonRcs selected(&db);
    selected.Open(CRecordSet::dbOpenDynaset,
                  QStringLiteral("SELECT * FROM [Person] WHERE lastname = 'Zorn'"));
    EXPECT_FALSE(selected.FollowChange({QStringLiteral("Person"), {1}, {}, {}}));
    EXPECT_EQ(selected.GetRecordCount(), kept);
}
