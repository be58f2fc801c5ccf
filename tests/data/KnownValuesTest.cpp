#include <gtest/gtest.h>

#include <QSignalSpy>
#include <random>

#include "DataTestSupport.h"
#include "data/AlarmRcs.h"
#include "data/ChangeNotifier.h"
#include "data/ContactRcs.h"
#include "data/FirmRcs.h"
#include "data/GroupRcs.h"
#include "data/KnownValueLoader.h"
#include "data/KnownValues.h"
#include "data/PersonRcs.h"
#include "data/Statement.h"
#include "support/OutsideClient.h"
#include "support/ScriptedPrompter.h"
#include "support/StatementTrace.h"

class KnownValuesTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        openSharedDatabase({});
    }
};

TEST(KnownValueWords, FirstAndLastWord) {
    EXPECT_EQ(FirstWord(QStringLiteral("  van der Berg ")), QStringLiteral("van"));
    EXPECT_EQ(LastWord(QStringLiteral(" Anna  Maria ")), QStringLiteral("Maria"));
    EXPECT_EQ(FirstWord(QStringLiteral(" Smith ")), QStringLiteral("Smith"));
    EXPECT_EQ(LastWord(QString()), QString());
}

TEST(KnownValueWords, ListAddsOnceIgnoringCaseAndSortsUpperCaseFirst) {
    KnownValueList list;
    for (const char* name : {"beta", "Müller", "BETA", "MÜLLER", "alpha", "Zeta"})
        list.add(QString::fromUtf8(name));
    list.append(QStringLiteral("alpha"));
    list.sort();
    EXPECT_EQ(list.items(), (QStringList{QString::fromUtf8("Müller"), QStringLiteral("Zeta"),
                                         QStringLiteral("alpha"), QStringLiteral("alpha"),
                                         QStringLiteral("beta")}));
}

TEST(KnownValueWords, AListBuiltByAppendingKnowsItsNamesAndKeepsItsOrder) {
    const QString wide = QStringLiteral("\uFF21cme");
    const QString emoji = QStringLiteral("\U0001F600 Fun");
    KnownValueList list;
    for (const QString& name : {QStringLiteral("Smith"), wide, emoji, QStringLiteral("smith")})
        list.append(name);
    list.sort();
    // By UTF-16 code units, as QString::compare: a surrogate pair before U+FF21.
    EXPECT_EQ(list.items(), (QStringList{"Smith", "smith", emoji, wide}));
    // Built in sorted runs, one per source, it is the same list.
    KnownValueList runs;
    runs.mergeSorted({wide, QStringLiteral("smith")});
    runs.mergeSorted({emoji, QStringLiteral("Smith")});
    runs.mergeSorted({});
    EXPECT_EQ(runs.items(), list.items());
    list.removeSorted(QStringLiteral("smith"));
    list.insertSorted(QStringLiteral("Aaron"));
    list.add(QStringLiteral("SMITH"));
    list.add(QStringLiteral("aaron"));
    list.add(QStringLiteral("Zorn"));
    EXPECT_EQ(list.items(), (QStringList{"Aaron", "Smith", emoji, wide, "Zorn"}));
}

TEST_F(KnownValuesTest, GathersNamesFromEveryTable) {
    CPersonRcs persons(&db);
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("van Berg")},
                  {"firstname", QStringLiteral("Anna Maria")},
                  {"firm", QStringLiteral("acme")}});
    add(persons, {{"lastname", QStringLiteral("Zorn")}, {"firstname", QStringLiteral("Max")}});
    CFirmRcs firms(&db);
    firms.Open();
    add(firms, {{"name", QStringLiteral("Acme")}, {"person", QStringLiteral("Doe John")}});
    CContactRcs contacts(&db);
    contacts.Open();
    add(contacts, {{"person", QStringLiteral("ZORN MAX")}, {"firm", QStringLiteral("Beta Ltd")}});
    CAlarmRcs alarms(&db);
    alarms.Open();
    const qint64 alarm = add(
        alarms, {{"name", QStringLiteral("Call back")}, {"person", QStringLiteral("Roe Jane")}});
    CGroupRcs groups(&db);
    groups.Open();
    for (const char* name : {"VIP", "Clients", "VIP"})
        add(groups, {{"Name", QLatin1String(name)}});

    ASSERT_TRUE(LoadKnownValues());
    EXPECT_EQ(PersonNameList().items(),
              QStringList({"Doe John", "Roe Jane", "Zorn Max", "van Berg Anna Maria"}));
    EXPECT_EQ(LastNameList().items(), QStringList({"van", "Zorn", "Doe", "Roe"}));
    EXPECT_EQ(FirstNameList().items(), QStringList({"Maria", "Max", "John", "Jane"}));
    // "acme" met after "Acme" (firms are read first); Zorn's empty firm is one entry.
    EXPECT_EQ(FirmNameList().items(), QStringList({"", "Acme", "Beta Ltd"}));
    EXPECT_EQ(GroupNameList().items(), QStringList({"Clients", "VIP", "VIP"}));
    EXPECT_EQ(AlarmNameList().items(), QStringList{"Call back"});

    // Reloading empties the firm, person and group lists only.
    alarms.SetBookmark(alarm);
    alarms.Delete();
    ASSERT_TRUE(LoadKnownValues());
    EXPECT_EQ(AlarmNameList().items(), QStringList{"Call back"});
    EXPECT_EQ(GroupNameList().count(), 3);
    EXPECT_FALSE(PersonNameList().items().contains(QStringLiteral("Roe Jane")));
}

TEST_F(KnownValuesTest, DatabaseFailureIsReportedAndKeepsWhatWasRead) {
    CPersonRcs persons(&db);
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("Smith")}, {"firstname", QStringLiteral("Jo")}});
    db.Execute(QStringLiteral("ALTER TABLE [Firm] RENAME TO [Firm_away]"));
    ScriptedPrompter prompter;
    prompter.answer(Prompter::No);
    EXPECT_FALSE(LoadKnownValues());
    EXPECT_EQ(prompter.messages().size(), 1);
    EXPECT_EQ(PersonNameList().items(), QStringList{"Smith Jo"});
}

namespace {

struct ListsSnapshot {
    QStringList firms, persons, groups, lastNames, firstNames, alarms;
    bool operator==(const ListsSnapshot&) const = default;
};

ListsSnapshot snapshot() {
    return {FirmNameList().items(), PersonNameList().items(), GroupNameList().items(),
            LastNameList().items(), FirstNameList().items(),  AlarmNameList().items()};
}

void clearAllLists() {
    for (KnownValueList* list : {&FirmNameList(), &PersonNameList(), &GroupNameList(),
                                 &LastNameList(), &FirstNameList(), &AlarmNameList()})
        list->clear();
}

// The load read row by row, every record in the order it was added: the lists as the
// engine-side load, and every update after it, must give them.
ListsSnapshot loadRowByRow() {
    KnownValueList firms, persons, groups, lastNames, firstNames, alarms;
    auto each = [](const char* source, const char* sort, const auto& visit) {
        CRecordSet records(&sharedDatabase());
        records.m_strSort = QLatin1String(sort);
        records.Open(CRecordSet::dbOpenSnapshot, QLatin1String(source));
        for (; !records.IsEOF(); records.MoveNext())
            visit(records);
    };
    auto person = [&](const QString& name) {
        persons.add(name);
        lastNames.add(FirstWord(name));
        firstNames.add(LastWord(name));
    };
    each("[Person]", "id", [&](const CRecordSet& r) {
        persons.add(r.text("lastname") + ' ' + r.text("firstname"));
        lastNames.add(FirstWord(r.text("lastname")));
        firstNames.add(LastWord(r.text("firstname")));
    });
    each("[Firm]", "id", [&](const CRecordSet& r) { firms.add(r.text("name")); });
    each("[Person]", "id", [&](const CRecordSet& r) { firms.add(r.text("firm")); });
    each("[Firm]", "id", [&](const CRecordSet& r) { person(r.text("person")); });
    each("[Contact]", "id", [&](const CRecordSet& r) {
        person(r.text("person"));
        firms.add(r.text("firm"));
    });
    each("[Alarm]", "id", [&](const CRecordSet& r) {
        person(r.text("person"));
        firms.add(r.text("firm"));
        alarms.add(r.text("name"));
    });
    each("[Group]", "id", [&](const CRecordSet& r) { groups.append(r.text("Name")); });
    for (KnownValueList* list : {&firms, &persons, &groups})
        list->sort();
    return {firms.items(),     persons.items(),    groups.items(),
            lastNames.items(), firstNames.items(), alarms.items()};
}

}  // namespace

TEST_F(KnownValuesTest, EngineSideLoadGivesTheListsOfTheRowByRowLoad) {
    CPersonRcs persons(&db);
    persons.Open();
    for (const auto& [last, first, firm] : {std::tuple{"Young", "Yves", "beta"},
                                            {"abel", "Ann", "Müller AG"},
                                            {"ABEL", "ANN", ""},
                                            {"", "", "BETA"},
                                            {"Öberg van", "Jo Ann", "MÜLLER AG"},
                                            {"Abel", "ann", "acme"}})
        add(persons, {{"lastname", QString::fromUtf8(last)},
                      {"firstname", QString::fromUtf8(first)},
                      {"firm", QString::fromUtf8(firm)}});
    add(persons, {{"lastname", QStringLiteral("Nulls")}});
    CFirmRcs firms(&db);
    firms.Open();
    for (const auto& [name, person] : {std::pair{"Acme", "Quinn Q"},
                                       {"ACME", "quinn q"},
                                       {"müller ag", "Zed Z"},
                                       {"Zulu", "Abel Ann"}})
        add(firms, {{"name", QString::fromUtf8(name)}, {"person", QString::fromUtf8(person)}});
    CContactRcs contacts(&db);
    contacts.Open();
    for (const auto& [person, firm] : {std::pair{"young yves", "Omega"},
                                       {"Kim K", "omega"},
                                       {"öberg Ö", "Ärger Ltd"},
                                       {"ÖBERG Ö", "ärger ltd"},
                                       {"Kim K", "zulu"},
                                       {"Abel Ann", ""}})
        add(contacts, {{"person", QString::fromUtf8(person)}, {"firm", QString::fromUtf8(firm)}});
    CAlarmRcs alarms(&db);
    alarms.Open();
    for (const auto& [name, person, firm] :
         {std::tuple{"call", "Lee L", "Omega"}, {"Call", "Kim K", "Theta"}, {"visit", "LEE L", ""}})
        add(alarms, {{"name", QLatin1String(name)},
                     {"person", QLatin1String(person)},
                     {"firm", QLatin1String(firm)}});
    CGroupRcs groups(&db);
    groups.Open();
    for (const char* name : {"VIP", "press", "VIP"})
        add(groups, {{"Name", QLatin1String(name)}});

    clearAllLists();
    const ListsSnapshot expected = loadRowByRow();
    clearAllLists();
    ASSERT_TRUE(LoadKnownValues());
    const ListsSnapshot loaded = snapshot();
    EXPECT_EQ(loaded.firms, expected.firms);
    EXPECT_EQ(loaded.persons, expected.persons);
    EXPECT_EQ(loaded.groups, expected.groups);
    EXPECT_EQ(loaded.lastNames, expected.lastNames);
    EXPECT_EQ(loaded.firstNames, expected.firstNames);
    EXPECT_EQ(loaded.alarms, expected.alarms);
    EXPECT_EQ(expected.lastNames,
              QStringList({"Young", "abel", "", "Öberg", "Nulls", "Quinn", "Zed", "Kim", "Lee"}));
}

TEST_F(KnownValuesTest, LoadReadsTheDistinctNamesNotEveryRow) {
    CStatement(db, QStringLiteral(
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                       "3000) INSERT INTO Contact (person, firm) SELECT CASE i % 3 WHEN 0 THEN "
                       "'Abel Ann' WHEN 1 THEN 'Kim K' ELSE 'Lee L' END, CASE i % 2 WHEN 0 THEN "
                       "'Acme' ELSE 'Beta' END FROM n"))
        .execute();
    // Within a transaction every source is read on the shared connection, which the trace
    // sees; otherwise the largest ones are read on connections of their own.
    CStatement(sharedDatabase(), QStringLiteral("BEGIN")).execute();
    StatementTrace trace(sharedDatabase().handle());
    ASSERT_TRUE(LoadKnownValues());
    CStatement(sharedDatabase(), QStringLiteral("COMMIT")).execute();
    EXPECT_EQ(PersonNameList().items(), QStringList({"Abel Ann", "Kim K", "Lee L"}));
    EXPECT_GT(trace.count(QStringLiteral("SELECT `person`, min(rowid)")), 0);
    EXPECT_LT(trace.rows(), 100) << trace.statements().join(QStringLiteral("\n")).toStdString();
}

TEST_F(KnownValuesTest, ASaveReadsOnlyItsRowsAndTheNamesTheyLeaveOrJoin) {
    CPersonRcs persons(&sharedDatabase());
    persons.Open();
    add(persons, {{"lastname", QStringLiteral("Alpha")}, {"firstname", QStringLiteral("Ann")}});
    CContactRcs contacts(&sharedDatabase());
    contacts.Open();
    add(contacts, {{"person", QStringLiteral("Caller Carl")}, {"firm", QStringLiteral("Callco")}});
    // Many persons with one firm, and many with none: a save must not read their groups.
    CStatement(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM "
                                  "n WHERE i < 20000) INSERT INTO Person (lastname, firstname, "
                                  "firm) SELECT 'Many' || i, 'X', CASE i % 2 WHEN 0 THEN 'Bigco' "
                                  "END FROM n"))
        .execute();
    ASSERT_TRUE(LoadKnownValues());
    // Its updater follows the change notifier.
    CKnownValueLoader loader;

    // With the contacts out of reach, reading them would fail the update.
    CStatement(sharedDatabase(), QStringLiteral("ALTER TABLE Contact RENAME TO Contact_away"))
        .execute();
    ScriptedPrompter prompter;
    {
        StatementTrace trace(sharedDatabase().handle());
        const qint64 beta = add(persons, {{"lastname", QStringLiteral("Beta")},
                                          {"firstname", QStringLiteral("Bob")},
                                          {"firm", QStringLiteral("Bigco")}});
        persons.SetBookmark(beta);
        persons.Edit();
        persons.setValue(QStringLiteral("firm"), QVariant());
        persons.Update();
        EXPECT_LT(trace.rows(), 40) << trace.statements().join(u'\n').toStdString();
        // Every read goes through an index or the row id, so its cost does not grow with the
        // file.
        for (const QString& statement : trace.statements()) {
            if (!statement.startsWith(QStringLiteral("SELECT")))
                continue;
            CStatement plan(sharedDatabase(), QStringLiteral("EXPLAIN QUERY PLAN ") + statement);
            while (plan.step()) {
                const QString step = plan.text(3);
                EXPECT_FALSE(step.startsWith(QStringLiteral("SCAN")) ||
                             step.contains(QStringLiteral("TEMP B-TREE")))
                    << statement.toStdString() << ": " << step.toStdString();
            }
        }
    }
    CStatement(sharedDatabase(), QStringLiteral("ALTER TABLE Contact_away RENAME TO Contact"))
        .execute();
    EXPECT_TRUE(prompter.messages().isEmpty());
    EXPECT_TRUE(PersonNameList().items().contains("Beta Bob"));
    EXPECT_TRUE(PersonNameList().items().contains("Caller Carl"));
    EXPECT_TRUE(FirmNameList().items().contains("Callco"));
    EXPECT_TRUE(FirmNameList().items().contains("Bigco"));
    EXPECT_TRUE(LastNameList().items().contains("Beta"));

    // The only contact naming Callco goes, and its firm with it.
    contacts.Requery();
    contacts.Delete();
    EXPECT_FALSE(FirmNameList().items().contains("Callco"));
    EXPECT_FALSE(PersonNameList().items().contains("Caller Carl"));
    // Names once met stay in the last-name list.
    EXPECT_TRUE(LastNameList().items().contains("Caller"));
}

TEST_F(KnownValuesTest, LargeTablesReadOnConnectionsOfTheirOwnGiveTheSameLists) {
    // Enough persons and contacts for their sources to be read on threads of their own.
    for (const char* table : {"Person (lastname, firstname, firm)", "Contact (person, firm)"}) {
        const bool persons = QLatin1String(table).startsWith(u"Person");
        CStatement(
            db,
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                           "i < 60000) INSERT INTO %1 SELECT %2 FROM n")
                .arg(QLatin1String(table),
                     persons ? QStringLiteral("CASE i % 3 WHEN 0 THEN 'Öberg' WHEN 1 "
                                              "THEN 'öberg' ELSE 'Lee' || (i % 500) "
                                              "END, 'Ann' || (i % 7), 'Firm' || (i % 90)")
                             : QStringLiteral("'Caller' || (i % 800) || ' X', "
                                              "'Callco' || (i % 300)")))
            .execute();
    }
    ASSERT_TRUE(LoadKnownValues());
    const ListsSnapshot apart = snapshot();

    // Within a transaction everything is read on the shared connection.
    CStatement(sharedDatabase(), QStringLiteral("BEGIN")).execute();
    ASSERT_TRUE(LoadKnownValues());
    CStatement(sharedDatabase(), QStringLiteral("COMMIT")).execute();
    EXPECT_TRUE(apart == snapshot());
    // The first row met gives the letter case: "öberg" (row 1) before "Öberg" (row 15).
    EXPECT_TRUE(apart.persons.contains(QString::fromUtf8("öberg Ann1")));
    EXPECT_FALSE(apart.persons.contains(QString::fromUtf8("Öberg Ann1")));
    EXPECT_TRUE(apart.firms.contains(QStringLiteral("Callco299")));
}

// The same file with a password: the connections of their own need it as well.
class EncryptedKnownValuesTest : public DataTest {
protected:
    QString password() const override { return QStringLiteral("secret"); }
    void SetUp() override {
        DataTest::SetUp();
        openSharedDatabase(password());
    }
};

TEST_F(EncryptedKnownValuesTest, LargeTablesOfAnEncryptedFileAreReadApartToo) {
    CStatement(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < 60000) INSERT INTO Contact (person, firm) SELECT "
                                  "'Caller' || (i % 800) || ' X', 'Callco' || (i % 300) FROM n"))
        .execute();
    ScriptedPrompter prompts;
    ASSERT_TRUE(LoadKnownValues());
    EXPECT_TRUE(PersonNameList().items().contains(QStringLiteral("Caller799 X")));
    EXPECT_TRUE(FirmNameList().items().contains(QStringLiteral("Callco299")));
}

namespace {

// Names that differ in the letter case of ASCII letters or of others only, share words with
// each other, or are empty or NULL.
QVariant randomName(std::mt19937& random) {
    static const char* const names[] = {"Abel Ann", "abel ann", "ABEL Ann", "Müller",
                                        "MÜLLER",   "müller",   "",         "van Berg",
                                        "Öberg Jo", "öberg jo", "Acme",     "Zed"};
    const std::size_t pick = random() % (std::size(names) + 1);
    return pick == std::size(names) ? QVariant() : QVariant(QString::fromUtf8(names[pick]));
}

struct NamedTable {
    const char* table;
    std::vector<const char*> columns;
};

const NamedTable kNamedTables[] = {{"Person", {"lastname", "firstname", "firm"}},
                                   {"Firm", {"name", "person"}},
                                   {"Contact", {"person", "firm"}},
                                   {"Alarm", {"name", "person", "firm"}},
                                   {"Group", {"Name"}}};

std::vector<qint64> rowsOf(CDatabase& db, const char* table) {
    CStatement rows(db, QStringLiteral("SELECT rowid FROM \"%1\"").arg(QLatin1String(table)));
    std::vector<qint64> ids;
    while (rows.step())
        ids.push_back(rows.int64(0));
    return ids;
}

// One random write to the table: an insert, an update of one column or of all of them (of
// one row or two), a delete, or an insert and a delete in one transaction.
void writeAtRandom(CDatabase& db, const NamedTable& table, std::mt19937& random) {
    const QString name = QStringLiteral("\"%1\"").arg(QLatin1String(table.table));
    QStringList columns;
    for (const char* column : table.columns)
        columns << QStringLiteral("\"%1\"").arg(QLatin1String(column));
    const auto insert = [&] {
        CStatement statement(db,
                             QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(name, columns.join(u','),
                                      QStringList(columns.size(), QStringLiteral("?")).join(u',')));
        for (int i = 0; i < columns.size(); ++i)
            statement.bind(i + 1, randomName(random));
        statement.execute();
    };
    const std::vector<qint64> ids = rowsOf(db, table.table);
    const auto anyRow = [&] { return ids[random() % ids.size()]; };
    const int kind = ids.empty() ? 0 : int(random() % 5);
    if (kind == 0) {
        insert();
    } else if (kind == 1 || kind == 2) {
        QStringList set;
        const int only = kind == 1 ? int(random() % columns.size()) : -1;
        for (int i = 0; i < columns.size(); ++i) {
            if (only < 0 || only == i)
                set << columns[i] + QStringLiteral(" = ?");
        }
        CStatement statement(
            db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid IN (?, ?)").arg(name, set.join(u',')));
        for (int i = 0; i < set.size(); ++i)
            statement.bind(i + 1, randomName(random));
        statement.bind(int(set.size()) + 1, anyRow());
        statement.bind(int(set.size()) + 2, anyRow());
        statement.execute();
    } else if (kind == 3) {
        CStatement statement(db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(name));
        statement.bind(1, anyRow());
        statement.execute();
    } else {
        CStatement(db, QStringLiteral("BEGIN")).execute();
        insert();
        CStatement remove(db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(name));
        remove.bind(1, anyRow());
        remove.execute();
        CStatement(db, QStringLiteral("COMMIT")).execute();
    }
}

// The lists equal those of a full load: the firm, person and group lists as rebuilt, and the
// lists that keep every name met hold all a load would add.
void expectListsOfAFullLoad(const ListsSnapshot& before, const std::string& where) {
    const ListsSnapshot now = snapshot();
    const ListsSnapshot full = loadRowByRow();
    EXPECT_EQ(now.firms, full.firms) << where;
    EXPECT_EQ(now.persons, full.persons) << where;
    EXPECT_EQ(now.groups, full.groups) << where;
    const auto kept = [&](const QStringList& was, const QStringList& is, const QStringList& met) {
        EXPECT_EQ(is.mid(0, was.size()), was) << where;
        KnownValueList grown;
        for (const QString& text : is)
            grown.append(text);
        for (const QString& text : met)
            grown.add(text);
        EXPECT_EQ(grown.items(), is) << where;
    };
    kept(before.lastNames, now.lastNames, full.lastNames);
    kept(before.firstNames, now.firstNames, full.firstNames);
    kept(before.alarms, now.alarms, full.alarms);
}

}  // namespace

TEST_F(KnownValuesTest, RandomWritesKeepTheListsOfAFullLoad) {
    // Its updater follows the change notifier.
    CKnownValueLoader loader;
    ScriptedPrompter prompter;
    // Many small commits: the test's connection need not wait for the disk.
    CStatement(db, QStringLiteral("PRAGMA synchronous = OFF")).execute();
    for (unsigned seed : {7u, 23u}) {
        std::mt19937 random(seed);
        for (const char* table : {"Person", "Firm", "Contact", "Alarm", "Group"})
            CStatement(
                db, QStringLiteral("DELETE FROM \"%1\" WHERE rowid > 0").arg(QLatin1String(table)))
                .execute();
        ASSERT_TRUE(LoadKnownValues());
        for (int step = 0; step < 150 && !HasFailure(); ++step) {
            const ListsSnapshot before = snapshot();
            const NamedTable& table = kNamedTables[random() % std::size(kNamedTables)];
            writeAtRandom(db, table, random);
            expectListsOfAFullLoad(before, "seed " + std::to_string(seed) + ", step " +
                                               std::to_string(step) + ", " + table.table);
        }
    }
    EXPECT_TRUE(prompter.messages().isEmpty());
}

TEST_F(KnownValuesTest, AnotherProgramsChangeReachesTheListsThroughABackgroundLoad) {
    CKnownValueLoader loader;
    ASSERT_TRUE(LoadKnownValues());
    OutsideClient::query(dbPath, QStringLiteral("INSERT INTO Person (lastname, firstname, firm) "
                                                "VALUES ('Outer', 'Olga', 'Elsewhere Ltd')"));
    // What the file watch announces when another program has committed.
    QSignalSpy loaded(&loader, &CKnownValueLoader::loaded);
    changeNotifier().announce(DataChange::all());
    ASSERT_TRUE(loader.busy());
    // A save while the load runs is applied to its result.
    CFirmRcs firms(&sharedDatabase());
    firms.Open();
    add(firms, {{"name", QStringLiteral("Inner Inc")}});
    ASSERT_TRUE(loaded.wait());
    EXPECT_TRUE(PersonNameList().items().contains(QStringLiteral("Outer Olga")));
    EXPECT_TRUE(FirmNameList().items().contains(QStringLiteral("Elsewhere Ltd")));
    EXPECT_TRUE(FirmNameList().items().contains(QStringLiteral("Inner Inc")));
    EXPECT_TRUE(LastNameList().items().contains(QStringLiteral("Outer")));
}
