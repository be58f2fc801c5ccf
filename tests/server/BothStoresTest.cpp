#include <gtest/gtest.h>

#include <QTest>
#include <QUrl>
#include <algorithm>
#include <map>

#include "ServerTestSupport.h"
#include "StoreFixture.h"
#include "alarms/TakeDueAlarm.h"
#include "data/AlarmRcs.h"
#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/ContactRcs.h"
#include "data/Database.h"
#include "data/FirmFirmQRcs.h"
#include "data/FirmRcs.h"
#include "data/JetLike.h"
#include "data/PersonRcs.h"
#include "data/RecordMerge.h"
#include "data/ServerConnection.h"
#include "data/ServerNameOrder.h"
#include "data/ServerSchema.h"
#include "data/SortedKeys.h"
#include "data/Statement.h"
#include "data/WatchedAlarms.h"
#include "duplicates/MergeChoices.h"

namespace {

QString serverPassword() {
    return QString::fromUtf8(PgTestServer::kPassword);
}

// The same record-set work on a new contacts file and on a new server database.
class BothStores : public StoreTest {
protected:
    static QStringList column(CRecordSet& records, const char* name) {
        QStringList seen;
        for (records.MoveFirst(); !records.IsEOF(); records.MoveNext())
            seen << records.text(QLatin1String(name));
        return seen;
    }
};

}  // namespace

TEST_P(BothStores, RecordsAreAddedReadSortedFilteredAndFound) {
    CPersonRcs persons(&db);
    persons.Open();
    for (const char* name : {"Zorn Anna", "adams Bob", "Müller Max", "MÜLLER Eva", "Brown Bea"}) {
        const QStringList parts = QString::fromUtf8(name).split(u' ');
        add(persons, {{"lastname", parts[0]}, {"firstname", parts[1]}});
    }
    persons.m_strSort = QStringLiteral("lastname, firstname");
    persons.Requery();
    EXPECT_EQ(column(persons, "firstname"), (QStringList{"Bob", "Bea", "Eva", "Max", "Anna"}));

    // "=" and LIKE ignore letter case beyond ASCII; the engine's wildcards and sets work.
    const auto count = [&](const QString& filter) {
        persons.m_strFilter = filter;
        persons.Requery();
        return persons.GetRecordCount();
    };
    EXPECT_EQ(count(QStringLiteral("lastname = 'müller'")), 2);
    EXPECT_EQ(count(QStringLiteral("lastname like 'M?LLER'")), 2);
    EXPECT_EQ(count(QStringLiteral("lastname like '[a-b]*'")), 2);
    EXPECT_EQ(count(QStringLiteral("lastname like '[!a-b]*'")), 3);
    EXPECT_EQ(count(QStringLiteral("[lastname] + ' ' + [firstname] like 'a* b*'")), 1);
    EXPECT_EQ(count(QStringLiteral("lastname not like 'm*'")), 3);
    EXPECT_EQ(count(QStringLiteral("firstname like '*e*'")), 2);
    EXPECT_EQ(count(QStringLiteral("lastname like '[*]'")), 0);

    persons.m_strFilter.clear();
    persons.Requery();
    EXPECT_TRUE(persons.FindFirst(QStringLiteral("firstname = 'EVA'")));
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("MÜLLER"));
    EXPECT_THROW(persons.FindFirst(QStringLiteral("nosuchcolumn = 1")), CDbException);

    // A stored query groups names that differ only in letter case.
    CFirmRcs firms(&db);
    firms.Open();
    add(firms, {{"name", QStringLiteral("Ölwerk")}});
    add(firms, {{"name", QStringLiteral("ÖLWERK")}});
    add(firms, {{"name", QStringLiteral("Acme")}});
    CFirmFirmQRcs names(&db);
    names.Open();
    EXPECT_EQ(names.GetRecordCount(), 2);
}

TEST_P(BothStores, EditsDeletesAndMomentsRoundTrip) {
    CContactRcs contacts(&db);
    contacts.Open();
    const QDateTime moment(QDate(2003, 4, 5), QTime(10, 20, 30));
    const QString awkward = QStringLiteral("it's \"quoted\"\\ and\ttabbed");
    const qint64 id =
        add(contacts, {{"time", moment}, {"description", awkward}, {"person", "Pérez"}});
    contacts.Requery();
    ASSERT_FALSE(contacts.IsEOF());
    EXPECT_EQ(contacts.dateTime(QStringLiteral("time")), moment);
    EXPECT_EQ(contacts.text(QStringLiteral("person")), QStringLiteral("Pérez"));
    EXPECT_EQ(contacts.text(QStringLiteral("description")), awkward);
    EXPECT_EQ(contacts.GetBookmark(), id);

    contacts.Edit();
    contacts.setValue(QStringLiteral("time"), QDateTime(QDate(2031, 12, 31), QTime(23, 59, 59)));
    contacts.Update();
    contacts.m_strFilter = QStringLiteral("time like '2031/12/31'");
    contacts.Requery();
    EXPECT_EQ(contacts.GetRecordCount(), 1);

    contacts.Delete();
    contacts.m_strFilter.clear();
    contacts.Requery();
    EXPECT_TRUE(contacts.IsEOF());
}

// A record without a moment comes first in an ascending order and last in a descending
// one, on the server as in the file.
TEST_P(BothStores, RecordsWithoutAMomentSortAsTheLeast) {
    CContactRcs contacts(&db);
    contacts.Open();
    const qint64 early = add(contacts, {{"date", QDateTime(QDate(2001, 1, 1), QTime(9, 0))}});
    const qint64 none = add(contacts, {{"description", QStringLiteral("no date")}});
    const qint64 late = add(contacts, {{"date", QDateTime(QDate(2003, 1, 1), QTime(9, 0))}});
    const auto order = [&](const char* sort) {
        contacts.m_strSort = QLatin1String(sort);
        contacts.Requery();
        std::vector<qint64> keys;
        for (contacts.MoveFirst(); !contacts.IsEOF(); contacts.MoveNext())
            keys.push_back(contacts.GetBookmark());
        return keys;
    };
    EXPECT_EQ(order("date"), (std::vector<qint64>{none, early, late}));
    EXPECT_EQ(order("date desc"), (std::vector<qint64>{late, early, none}));
    EXPECT_EQ(order("date desc, description"), (std::vector<qint64>{late, early, none}));
}

// Equal names stay in the order of their ids, in the direction of the last key, as a list
// asks for them; the server's rows bring their id only once.
TEST_P(BothStores, EqualNamesFollowTheirIdsInTheLastKeysDirection) {
    CPersonRcs persons(&db);
    persons.Open();
    std::vector<qint64> muellers;
    std::vector<qint64> others;
    for (const char* name : {"Müller", "adams", "MÜLLER", "Zorn", "müller", "ADAMS"}) {
        const qint64 id = add(persons, {{"lastname", QString::fromUtf8(name)}});
        (QString::fromUtf8(name).toLower() == QStringLiteral("müller") ? muellers : others)
            .push_back(id);
    }
    const auto sorted = [&](bool descending) {
        const std::vector<SortedKeyColumn> columns{{QStringLiteral("[lastname]"), true, descending},
                                                   {QStringLiteral("[id]"), false, descending}};
        return *readSortedKeys(db, QStringLiteral("[Person]"), QString(), columns);
    };
    const std::vector<qint64> ascending{others[0],   others[2],   muellers[0],
                                        muellers[1], muellers[2], others[1]};
    EXPECT_EQ(sorted(false), ascending);
    EXPECT_EQ(sorted(true), std::vector<qint64>(ascending.rbegin(), ascending.rend()));
}

// Names whose order by language differs from the order of their case-folded texts, in
// punctuation as well as in letters beyond ASCII, and letters that fold otherwise than they
// lower (the Kelvin sign, the long s, the micro sign, the final sigma, a title-case letter):
// read through the server's index of the order, the keys are those of the file, with NULL
// and the empty name first.
TEST_P(BothStores, NamesReadInAnIndexsOrderAreSortedAsTheFileSortsThem) {
    if (db.isServer()) {
        EXPECT_TRUE(servernameorder::foldsAsThisProgram(db));
    }
    CPersonRcs persons(&db);
    persons.Open();
    const char* const inOrder[] = {nullptr, "",      "a b",    "a'b", "a-b",         "A.B",  "a1",
                                   "a_b",   "ab",    "a{b",    "a~b", "\u212Aelvin", "ſaal", "Zorn",
                                   "ärger", "Ärger", "ölberg", "ǅx",  "µ",           "ςa",   "Σb"};
    // Added in an order of their own, so that the ids do not give the order away.
    std::map<int, qint64> idOf;
    for (const int at :
         {7, 3, 12, 0, 9, 1, 14, 5, 10, 2, 13, 6, 11, 4, 8, 20, 15, 18, 16, 19, 17}) {
        idOf[at] = inOrder[at] ? add(persons, {{"lastname", QString::fromUtf8(inOrder[at])},
                                               {"firstname", QStringLiteral("X")}})
                               : add(persons, {{"firstname", QStringLiteral("X")}});
    }
    std::vector<qint64> expected;
    for (const auto& [at, id] : idOf)
        expected.push_back(id);
    // "ärger" and "Ärger" are equal but for letter case: in the order of their ids.
    if (idOf[14] > idOf[15])
        std::swap(expected[14], expected[15]);
    for (const char* table : {"[Person]", "`Person`"}) {
        const std::vector<SortedKeyColumn> columns{{QStringLiteral("[lastname]"), true, false},
                                                   {QStringLiteral("[firstname]"), true, false}};
        EXPECT_EQ(*readSortedKeys(db, QLatin1String(table), QString(), columns), expected) << table;
    }
    persons.m_strSort = QStringLiteral("lastname, firstname");
    persons.Requery();
    std::vector<qint64> shown;
    for (persons.MoveFirst(); !persons.IsEOF(); persons.MoveNext())
        shown.push_back(persons.GetBookmark());
    EXPECT_EQ(shown, expected);
}

// LIKE in a filter keeps the rows that the engine's own pattern matcher accepts: texts
// with the characters that regular expressions give a meaning, sets and ranges, and
// moments in each of their shown forms; NOT LIKE keeps the others but never a NULL.
// Which object a name means is remembered per connection on a server, but a name the store
// did not know is asked again: another client may make it meanwhile.
TEST_P(BothStores, AStoredQueryMadeWhileConnectedIsFound) {
    CRecordSet early(&db);
    EXPECT_THROW(early.Open(CRecordSet::dbOpenDynaset, QStringLiteral("Later")), CDbException);
    CDatabase other;
    open(other);
    CStatement(other, QStringLiteral("CREATE VIEW \"Later\" AS SELECT \"id\", \"lastname\" "
                                     "FROM \"Person\""))
        .execute();
    CPersonRcs persons(&db);
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("Neu")}});
    for (const char* name : {"later", "LATER"}) {
        CRecordSet later(&db);
        later.Open(CRecordSet::dbOpenDynaset, QLatin1String(name));
        ASSERT_FALSE(later.IsEOF()) << name;
        EXPECT_EQ(later.text(QStringLiteral("lastname")), u"Neu") << name;
        EXPECT_EQ(later.GetRecordCount(), 1) << name;
    }
}

// An open set takes rows another connection wrote, each placed by a search that reads the
// rows it passes (on a server many in one statement): its keys end as a new query's, also
// with more rows than one statement reads and names equal but for letter case.
TEST_P(BothStores, AnOpenSetPlacesRowsWrittenElsewhereAsAQueryWould) {
    const char* const names[] = {"müller", "MÜLLER", "Adams", "adams", "Zorn", "ölberg", ""};
    CDatabase other;
    open(other);
    CPersonRcs writer(&other);
    writer.Open();
    for (int i = 0; i < 80; ++i)
        add(writer, {{"lastname", QString::fromUtf8(names[i % 7])},
                     {"firstname", QString::fromUtf8(names[(i / 7) % 7])}});
    const auto keysOf = [](CRecordSet& records) {
        std::vector<qint64> keys;
        for (records.MoveFirst(); !records.IsEOF(); records.MoveNext())
            keys.push_back(records.GetBookmark());
        return keys;
    };
    for (const char* sort : {"lastname, firstname", "[lastname] desc, firstname asc"}) {
        CPersonRcs persons(&db);
        persons.m_strSort = QLatin1String(sort);
        persons.Open();
        TableChange change{QStringLiteral("Person"), {}, {}, {}};
        for (int i = 0; i < 5; ++i)
            change.inserted.push_back(
                qint32(add(writer, {{"lastname", QString::fromUtf8(names[(i * 3) % 7])},
                                    {"firstname", QString::fromUtf8(names[(i * 5) % 7])}})));
        writer.MoveFirst();
        writer.Edit();
        writer.setValue(QStringLiteral("lastname"), QStringLiteral("ADAMS"));
        writer.Update();
        change.updated.push_back(qint32(writer.GetLastModifiedBookmark()));
        writer.MoveNext();
        change.deleted.push_back(qint32(writer.GetBookmark()));
        writer.Delete();
        ASSERT_TRUE(persons.FollowChange(change)) << sort;
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
    // The middle row, which every search reads first.
    writer.m_strSort = QStringLiteral("id");
    writer.Requery();
    for (int i = 0; i < count / 2; ++i)
        writer.MoveNext();
    writer.Delete();
    const qint64 added = add(writer, {{"lastname", QStringLiteral("Neu")}});
    EXPECT_FALSE(stale.FollowChange({QStringLiteral("Person"), {qint32(added)}, {}, {}}));
    EXPECT_EQ(stale.GetRecordCount(), count);
    EXPECT_EQ(stale.text(QStringLiteral("lastname")), shown);
}

TEST_P(BothStores, LikeKeepsWhatTheMatcherAccepts) {
    const QStringList texts{"Müller", "MÜLLER GmbH", "a.b",     "axb",   "a(b)",
                            "x[y]z",  "back\\slash", "caret^a", "50$",   "dash-ed",
                            "Ölwerk", "line\nbreak", "A+B",     "{1,2}", "a|b",
                            "100%",   "snake_case"};
    const QList<QDateTime> moments{QDateTime(QDate(2003, 4, 5), QTime(10, 20, 30)),
                                   QDateTime(QDate(2031, 12, 31), QTime(23, 59, 59)),
                                   QDateTime(QDate(1999, 1, 2), QTime(3, 4, 5)), QDateTime()};
    CContactRcs contacts(&db);
    contacts.Open();
    QStringList storedMoments;
    for (qsizetype i = 0; i < std::max(texts.size(), moments.size()); ++i) {
        const QDateTime moment = moments.value(i % moments.size());
        add(contacts, {{"description", texts.value(i)}, {"time", moment}});
        if (moment.isValid())
            storedMoments << moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    const auto kept = [&](const QString& filter) {
        contacts.m_strFilter = filter;
        contacts.Requery();
        return contacts.GetRecordCount();
    };
    const auto expected = [](const QStringList& values, const QString& pattern) {
        const JetLikePattern matcher(pattern);
        return int(std::count_if(values.begin(), values.end(),
                                 [&](const QString& value) { return matcher.matches(value); }));
    };
    for (const char* pattern :
         {"*müll*",  "m?ller*", "*a.b*", "a.b",  "*(*",   "*[.]*",     "[a-c]*",       "[c-a]*",
          "[!a-c]*", "*[\\]*",  "*^*",   "*$",   "[]a.b", "*[*",       "*#*",          "*-*",
          "*[-]*",   "[!]*",    "a+b",   "*{*}", "*|*",   "*[(]b*",    "*line?break*", "*[ö]*",
          "a[^]b",   "back\\*", "*%",    "*_*",  "1?0%",  "SNAKE?CASE"}) {
        SCOPED_TRACE(pattern);
        const QString text = QString::fromUtf8(pattern);
        EXPECT_EQ(kept(QStringLiteral("description like '%1'").arg(text)), expected(texts, text));
        EXPECT_EQ(kept(QStringLiteral("description not like '%1'").arg(text)),
                  texts.size() - expected(texts, text));
    }
    for (const char* pattern :
         {"2031/12/31", "*/12/*",  "2003-04-05*",         "*10:20:30",   "10:20:30",
          "*:59*",      "*31 23*", "2031/12/31 23:59:59", "*a*",         "19##-*",
          "[2]0*",      "*",       "*-12-31 23*",         "2031/12/31*", "*5 10*",
          "[1]#/01/02", "*0?:0*",  "2003?04?05 ??:20:30", "*[/]0*",      "03:04:05*"}) {
        SCOPED_TRACE(pattern);
        const QString text = QString::fromUtf8(pattern);
        EXPECT_EQ(kept(QStringLiteral("time like '%1'").arg(text)), expected(storedMoments, text));
        EXPECT_EQ(kept(QStringLiteral("time not like '%1'").arg(text)),
                  storedMoments.size() - expected(storedMoments, text));
    }
}

TEST_P(BothStores, AnotherConnectionsCommitIsAnnounced) {
    CDatabase other;
    open(other);
    std::vector<DataChange> announced;
    const QMetaObject::Connection listening =
        QObject::connect(&changeNotifier(), &CChangeNotifier::changed,
                         [&announced](const DataChange& change) { announced.push_back(change); });
    CPersonRcs persons(&other);
    persons.Open();
    const qint64 id = add(persons, {{"lastname", QStringLiteral("Neu")}});
    // The writer's own connection announces its commit at once.
    ASSERT_GE(announced.size(), 1u);
    ASSERT_TRUE(announced.back().table(u"Person"));
    EXPECT_EQ(announced.back().table(u"Person")->inserted, std::vector<qint32>{qint32(id)});
    if (GetParam() == Store::Server) {
        // The server tells every listening client; the connection that hears the others
        // takes it in when it looks, and the other connections keep it to themselves.
        announced.clear();
        for (int i = 0; i < 50 && announced.empty(); ++i) {
            QTest::qWait(20);
            sharedDatabase().takeServerNotifications();
            sharedDatabase().announceCommitted();
        }
        ASSERT_EQ(announced.size(), 1u);
        EXPECT_TRUE(announced[0].touches(u"Person"));
        CStatement(db, QStringLiteral("SELECT 1")).step();
        db.takeServerNotifications();
        db.announceCommitted();
        EXPECT_EQ(announced.size(), 1u);
    }
    QObject::disconnect(listening);
}

INSTANTIATE_ON_BOTH_STORES(BothStores);

// Two users on one server: the second save of a record both opened is refused, keeps the
// typed text, and a delete of a record changed meanwhile is refused too.
TEST(TeamServer, ASaveDoesNotOverwriteAnotherUsersChangeUnseen) {
    const QString uri = testServer().createDatabase();
    {
        CServerConnection setup(uri, serverPassword());
        serverschema::ensure(setup);
    }
    CDatabase first, second;
    first.OpenServer(uri, serverPassword());
    second.OpenServer(uri, serverPassword());
    CPersonRcs mine(&first);
    mine.Open();
    mine.AddNew();
    mine.setValue(QStringLiteral("lastname"), QStringLiteral("Alt"));
    mine.Update();
    mine.Requery();
    CPersonRcs theirs(&second);
    theirs.Open();

    mine.Edit();
    theirs.Edit();
    theirs.setValue(QStringLiteral("firstname"), QStringLiteral("Theirs"));
    theirs.Update();
    mine.setValue(QStringLiteral("firstname"), QStringLiteral("Mine"));
    try {
        mine.Update();
        FAIL() << "the second save went through";
    } catch (const CDbException& error) {
        EXPECT_EQ(error.code(), CRecordSet::kChangedElsewhere);
    }
    EXPECT_EQ(mine.GetEditMode(), CRecordSet::dbEditInProgress);
    EXPECT_EQ(mine.text(QStringLiteral("firstname")), QStringLiteral("Mine"));

    // After a reload the save goes through.
    mine.CancelUpdate();
    mine.Requery();
    EXPECT_EQ(mine.text(QStringLiteral("firstname")), QStringLiteral("Theirs"));
    mine.Edit();
    mine.setValue(QStringLiteral("firstname"), QStringLiteral("Mine"));
    EXPECT_NO_THROW(mine.Update());

    // Their view is now stale: their delete is refused rather than losing my save.
    EXPECT_THROW(theirs.Delete(), CDbException);
    theirs.Requery();
    EXPECT_NO_THROW(theirs.Delete());
}

TEST(TeamServer, AUserWhoMayOnlyReadGetsReadOnlyRecordSets) {
    const QString uri = testServer().createDatabase();
    {
        CServerConnection setup(uri, serverPassword());
        serverschema::ensure(setup);
        setup.exec(QStringLiteral("INSERT INTO \"Person\" (lastname) VALUES ('Da')"));
        // A schema that its owner has not yet brought up to date.
        setup.exec(QStringLiteral("UPDATE tarvex_schema SET version = $1"),
                   {serverschema::kOldestWorkingVersion});
    }
    auto admin = testServer().admin();
    admin->exec(QStringLiteral("DROP ROLE IF EXISTS only_reads"));
    admin->exec(QStringLiteral("CREATE ROLE only_reads LOGIN PASSWORD 'readpw'"));
    const QString database = QUrl(uri).path().mid(1);
    auto owner = testServer().admin(database);
    owner->exec(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO only_reads"));

    CDatabase reader;
    reader.OpenServer(testServer().uri(database, QStringLiteral("only_reads")),
                      QStringLiteral("readpw"));
    EXPECT_TRUE(reader.isReadOnly());
    CPersonRcs persons(&reader);
    persons.Open();
    EXPECT_EQ(persons.text(QStringLiteral("lastname")), QStringLiteral("Da"));
    EXPECT_THROW(persons.Edit(), CDbException);
    EXPECT_EQ(serverschema::version(reader.server()), serverschema::kOldestWorkingVersion);

    // The owner's next start brings it up to date.
    CDatabase ownersStart;
    ownersStart.OpenServer(uri, serverPassword());
    EXPECT_EQ(serverschema::version(ownersStart.server()), serverschema::kVersion);
}

TEST(TeamServer, EachUserWatchesTheAlarmsTheyMade) {
    const QString uri = testServer().createDatabase();
    const QString database = QUrl(uri).path().mid(1);
    {
        CServerConnection setup(uri, serverPassword());
        serverschema::ensure(setup);
        setup.exec(
            QStringLiteral("INSERT INTO \"Alarm\" (name, date, time, status) VALUES "
                           "('mine', '2030-01-01', '2030-01-01 09:00:00', 0)"));
    }
    auto admin = testServer().admin();
    admin->exec(QStringLiteral("DROP ROLE IF EXISTS colleague"));
    admin->exec(QStringLiteral("CREATE ROLE colleague LOGIN PASSWORD 'colpw'"));
    auto owner = testServer().admin(database);
    owner->exec(QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO colleague"));
    owner->exec(QStringLiteral("GRANT ALL ON ALL SEQUENCES IN SCHEMA public TO colleague"));

    CDatabase colleague;
    colleague.OpenServer(testServer().uri(database, QStringLiteral("colleague")),
                         QStringLiteral("colpw"));
    CAlarmRcs alarms(&colleague);
    alarms.Open();
    alarms.AddNew();
    alarms.setValue(QStringLiteral("name"), QStringLiteral("theirs"));
    alarms.setValue(QStringLiteral("date"), QDateTime(QDate(2030, 1, 2), QTime(0, 0)));
    alarms.setValue(QStringLiteral("time"), QDateTime(QDate(1899, 12, 30), QTime(10, 0)));
    alarms.setValue(QStringLiteral("status"), 0);
    alarms.Update();

    CDatabase me;
    me.OpenServer(uri, serverPassword());
    const auto mine = readWatchedAlarms(me, {});
    const auto theirs = readWatchedAlarms(colleague, {});
    ASSERT_EQ(mine.size(), 1u);
    ASSERT_EQ(theirs.size(), 1u);
    EXPECT_NE(mine[0].id, theirs[0].id);
}

// Two running clients of one user find the same alarm due: one of them takes it.
TEST(TeamServer, ADueAlarmIsTakenByOneClientOnly) {
    const QString uri = testServer().createDatabase();
    {
        CServerConnection setup(uri, serverPassword());
        serverschema::ensure(setup);
        setup.exec(
            QStringLiteral("INSERT INTO \"Alarm\" (id, name, date, time, status) VALUES "
                           "(1, 'call', '2001-01-01', '1899-12-30 09:00:00', 1), "
                           "(2, 'later', '2999-01-01', '1899-12-30 09:00:00', 1)"));
    }
    CDatabase first, second;
    first.OpenServer(uri, serverPassword());
    second.OpenServer(uri, serverPassword());
    const std::optional<TakenAlarm> taken = TakeDueAlarm(first, 1);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->subject, QStringLiteral("call"));
    EXPECT_EQ(taken->moment, QStringLiteral("2001/01/01 09:00:00"));
    EXPECT_FALSE(TakeDueAlarm(second, 1));
    EXPECT_FALSE(TakeDueAlarm(second, 2));
    EXPECT_FALSE(TakeDueAlarm(second, 3));
}

// Two records of one person merged: the references follow the survivor, and undo puts
// every row back.
TEST_P(BothStores, AMergeMovesTheReferencesAndUndoPutsThemBack) {
    CPersonRcs persons(&db);
    persons.Open();
    const qint64 survivor = add(
        persons, {{"lastname", QStringLiteral("Müller")}, {"firstname", QStringLiteral("Jürgen")}});
    const qint64 merged = add(persons, {{"lastname", QStringLiteral("MÜLLER")},
                                        {"firstname", QStringLiteral("JÜRGEN")},
                                        {"email_home", QStringLiteral("jm@example.com")}});
    CContactRcs contacts(&db);
    contacts.Open();
    add(contacts, {{"person", QStringLiteral("MÜLLER JÜRGEN")}, {"description", "call"}});
    add(contacts, {{"person", QStringLiteral("Berg Eva")}, {"description", "lunch"}});
    MergeRequest request;
    request.table = QStringLiteral("Person");
    request.survivorId = qint32(survivor);
    request.mergedIds = {qint32(merged)};
    request.survivorValues = {{QStringLiteral("email_home"), QStringLiteral("jm@example.com")}};
    request.combineDossierText = duplicates::combinedDossierText;

    const MergeUndo undo = mergeRecords(db, request);
    persons.Requery();
    EXPECT_EQ(persons.GetRecordCount(), 1);
    EXPECT_EQ(persons.text(QStringLiteral("email_home")), QStringLiteral("jm@example.com"));
    contacts.m_strSort = QStringLiteral("id");
    contacts.Requery();
    EXPECT_EQ(column(contacts, "person"), (QStringList{"Müller Jürgen", "Berg Eva"}));

    ASSERT_TRUE(undoMerge(db, undo));
    persons.Requery();
    EXPECT_EQ(column(persons, "firstname"), (QStringList{"Jürgen", "JÜRGEN"}));
    contacts.Requery();
    EXPECT_EQ(column(contacts, "person"), (QStringList{"MÜLLER JÜRGEN", "Berg Eva"}));
}
