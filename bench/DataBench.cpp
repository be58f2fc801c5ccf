#include "DataBench.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "BenchTable.h"
#include "data/ChangeNotifier.h"
#include "data/Connection.h"
#include "data/ContactRcs.h"
#include "data/Database.h"
#include "data/FirmRcs.h"
#include "data/KnownValueLoader.h"
#include "data/KnownValues.h"
#include "data/PersonRcs.h"
#include "data/SortedKeyCache.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "forms/NameResolution.h"

namespace {

// The average time of `runs` calls.
Timing average(int runs, const std::function<void(int)>& step) {
    const Stopwatch timer;
    for (int i = 0; i < runs; ++i)
        step(i);
    return timer.elapsed() / runs;
}

Timing once(const std::function<void()>& step) {
    const Stopwatch timer;
    step();
    return timer.elapsed();
}

// Person and firm pairs of contacts spread over the table, with some names beyond ASCII.
std::vector<std::pair<QString, QString>> samplePairs() {
    std::vector<std::pair<QString, QString>> pairs;
    CStatement spread(sharedDatabase(),
                      QStringLiteral("SELECT person, firm FROM Contact WHERE rowid IN (SELECT "
                                     "rowid FROM Contact WHERE rowid % 49999 = 1 LIMIT 15)"));
    while (spread.step())
        pairs.emplace_back(spread.text(0), spread.text(1));
    // Names with a letter beyond ASCII.
    CStatement wide(
        sharedDatabase(),
        QStringLiteral("SELECT person, firm FROM Contact WHERE person %1 LIMIT 5")
            .arg(sharedDatabase().isServer() ? QStringLiteral("COLLATE BINARY ~ '[^ -~]'")
                                             : QStringLiteral("GLOB '*[^ -~]*'")));
    while (wide.step())
        pairs.emplace_back(wide.text(0), wide.text(1));
    return pairs;
}

// The history of the contact form: every contact of the person or the firm, oldest first.
int readHistory(const QString& person, const QString& firm) {
    CContactRcs contacts(lookupConnection());
    contacts.m_strFilter = QStringLiteral("person like '%1' or firm like '%2'")
                               .arg(likeLiteral(person), likeLiteral(firm));
    contacts.m_strSort = QStringLiteral("date asc, time asc");
    contacts.Open(CRecordSet::dbOpenForwardOnly);
    int rows = 0;
    QString text;
    for (; !contacts.IsEOF(); contacts.MoveNext(), ++rows)
        text += contacts.dateTime(QStringLiteral("date")).toString() +
                contacts.text(QStringLiteral("person")) + contacts.text(QStringLiteral("firm")) +
                contacts.text(QStringLiteral("description"));
    contacts.Close();
    return rows;
}

const QString kDistinctNames = QStringLiteral(
    "SELECT DISTINCT lastname, firstname FROM Person UNION ALL SELECT DISTINCT name, NULL "
    "FROM Firm UNION ALL SELECT DISTINCT firm, NULL FROM Person UNION ALL SELECT DISTINCT "
    "person, NULL FROM Firm UNION ALL SELECT DISTINCT person, NULL FROM Contact UNION ALL "
    "SELECT DISTINCT firm, NULL FROM Contact UNION ALL SELECT DISTINCT person, NULL FROM Alarm "
    "UNION ALL SELECT DISTINCT firm, NULL FROM Alarm UNION ALL SELECT DISTINCT name, NULL FROM "
    "Alarm UNION ALL SELECT Name, NULL FROM \"Group\"");

void recordSetTimes(Reference& engine, BenchTable& table) {
    CPersonRcs persons(&sharedDatabase());
    persons.m_strSort = QStringLiteral("lastname asc, firstname asc");
    // What the record sets read, not what a window read before them.
    sortedKeyCache().forget(DataChange::all());
    table.add(QStringLiteral("open persons sorted by name"), once([&] { persons.Open(); }),
              engine.time(QStringLiteral("SELECT rowid FROM Person ORDER BY lastname, firstname")));
    table.add(QStringLiteral("persons: MoveLast + GetRecordCount"), once([&] {
                  persons.MoveLast();
                  persons.GetRecordCount();
              }),
              kNoEngine);
    table.add(
        QStringLiteral("persons: FindFirst display name like 'Smith5*'"), once([&] {
            persons.FindFirst(QStringLiteral("[lastname] + \" \" + [firstname] like 'Smith5*'"));
        }),
        // FindFirst reads every matching key, then takes the first in the record set's order.
        engine.time(QStringLiteral("SELECT rowid FROM Person WHERE %1")
                        .arg(engine.like(QStringLiteral("lastname || ' ' || firstname"),
                                         QStringLiteral("Smith5%")))));
    persons.Close();

    QStringList ours;
    QStringList engines;
    for (const char* column :
         {"address_home", "description", "firm", "firstname", "lastname", "title", "function",
          "[group]", "email_home", "phone_home1", "phone_bussines1", "email_bussines"}) {
        ours << QStringLiteral("%1 like '*fair in 2019*'").arg(QLatin1String(column));
        engines << engine.like(toSqlite(QLatin1String(column)), QStringLiteral("%fair in 2019%"));
    }
    CPersonRcs search(&sharedDatabase());
    search.m_strFilter = ours.join(QStringLiteral(" or "));
    table.add(QStringLiteral("search persons in 12 columns (LIKE *x*)"),
              once([&] { search.Open(); }),
              engine.time(QStringLiteral("SELECT rowid FROM Person WHERE ") +
                          engines.join(QStringLiteral(" OR "))));
    search.Close();

    CContactRcs scan(&sharedDatabase());
    scan.m_strFilter = QStringLiteral("description like '*number 123456 *'");
    table.add(QStringLiteral("contacts: description like '*number 123456 *'"),
              once([&] { scan.Open(); }),
              engine.time(
                  QStringLiteral("SELECT rowid FROM Contact WHERE ") +
                  engine.like(QStringLiteral("description"), QStringLiteral("%number 123456 %"))));
    scan.Close();

    CKnownValueLoader loader;
    CContactRcs contacts(&sharedDatabase());
    contacts.m_strSort = QStringLiteral("date desc, time desc");
    sortedKeyCache().forget(DataChange::all());
    table.add(
        QStringLiteral("open contacts by date (keys)"), once([&] { contacts.Open(); }),
        engine.time(QStringLiteral("SELECT rowid FROM Contact ORDER BY date DESC, time DESC")));
}

void formTimes(Reference& engine, BenchTable& table) {
    const auto pairs = samplePairs();
    const int runs = static_cast<int>(pairs.size());
    int rows = 0;
    const Timing ours = average(runs, [&](int i) {
        rows += readHistory(pairs[static_cast<std::size_t>(i)].first,
                            pairs[static_cast<std::size_t>(i)].second);
    });
    const Timing engineMs = average(runs, [&](int i) {
        const auto& [person, firm] = pairs[static_cast<std::size_t>(i)];
        engine.time(QStringLiteral("SELECT * FROM Contact WHERE person = %1 COLLATE NOCASE OR "
                                   "firm = %2 COLLATE NOCASE ORDER BY date, time")
                        .arg(sqlText(person), sqlText(firm)));
    });
    table.add(QStringLiteral("contact form move: history pane (average)"), ours, engineMs,
              QStringLiteral("%1 moves, %2 rows each").arg(runs).arg(rows / std::max(1, runs)));

    // The full load, as at start-up; the saves below apply only the rows they wrote, through
    // the updater that hears the change notifier, as in the program.
    const Timing reload = once([] { LoadKnownValues(); });
    table.add(QStringLiteral("known-value load (every table)"), reload, engine.time(kDistinctNames),
              QStringLiteral("%1 persons, %2 firms, %3 last names")
                  .arg(PersonNameList().count())
                  .arg(FirmNameList().count())
                  .arg(LastNameList().count()));

    // The contact form's save of a new contact: insert, place it among the keys and go to
    // the newest contact, then the data-changed refresh reloads the known values. The
    // engine reads every key again instead.
    CContactRcs contacts(&sharedDatabase());
    contacts.m_strSort = QStringLiteral("date desc, time desc");
    contacts.Open();
    const QDateTime moment(QDate(2001, 2, 3), QTime(4, 5, 6));
    Timing saveOnly;
    const Timing save = once([&] {
        saveOnly = once([&] {
            contacts.AddNew();
            contacts.setValue(QStringLiteral("date"), moment);
            contacts.setValue(QStringLiteral("time"), moment);
            contacts.setValue(QStringLiteral("person"), pairs.front().first);
            contacts.setValue(QStringLiteral("firm"), pairs.front().second);
            contacts.setValue(QStringLiteral("description"), QStringLiteral("Bench call"));
            contacts.Update();
            if (!contacts.PlaceLastAdded())
                throw std::runtime_error("the new contact could not be placed");
            contacts.MoveFirst();
        });
    });
    const Timing insert = engine.time(
        QStringLiteral("INSERT INTO [Contact] (date, time, person, firm, description) VALUES "
                       "('2001-02-03 04:05:06', '2001-02-03 04:05:06', %1, %2, 'Bench call')")
            .arg(sqlText(pairs.front().first), sqlText(pairs.front().second)));
    const Timing keys =
        engine.time(QStringLiteral("SELECT rowid FROM Contact ORDER BY date DESC, time DESC"));
    table.add(QStringLiteral("contact save (insert, placed in date order)"), saveOnly,
              insert + keys, QStringLiteral("engine: insert + key read"));
    table.add(QStringLiteral("contact save + data-changed refresh"), save,
              insert + keys + engine.time(kDistinctNames),
              QStringLiteral("engine: insert + key read + distinct names"));
    contacts.Close();

    // The person form's save of a changed person, with the refresh.
    CPersonRcs persons(&sharedDatabase());
    persons.m_strSort = QStringLiteral("lastname asc, firstname asc");
    persons.Open();
    persons.MoveNext();
    const qint64 id = persons.GetBookmark();
    const Timing personSave = once([&] {
        persons.Edit();
        persons.setValue(QStringLiteral("description"), QStringLiteral("Changed by the bench"));
        persons.Update();
    });
    persons.Close();
    table.add(
        QStringLiteral("person save + data-changed refresh"), personSave,
        engine.time(
            QStringLiteral("UPDATE Person SET description = 'Bench' WHERE rowid = %1").arg(id)) +
            engine.time(kDistinctNames),
        QStringLiteral("engine: update + distinct names"));

    // The person form's save of a new person: the record is placed in the name order (as
    // the form does it), then the refresh.
    persons.Open();
    Timing personKeys;
    const Timing personAdd = once([&] {
        personKeys = once([&] {
            persons.AddNew();
            persons.setValue(QStringLiteral("lastname"), QStringLiteral("Benchley"));
            persons.setValue(QStringLiteral("firstname"), QStringLiteral("Bea"));
            persons.Update();
            if (!persons.PlaceLastAdded()) {
                const qint64 added = persons.GetLastModifiedBookmark();
                persons.Requery();
                persons.SetBookmark(added);
            }
        });
    });
    persons.Close();
    const Timing personInsert = engine.time(
        QStringLiteral("INSERT INTO [Person] (lastname, firstname) VALUES ('Benchley', 'Bea')"));
    const Timing nameKeys =
        engine.time(QStringLiteral("SELECT rowid FROM Person ORDER BY lastname, firstname"));
    table.add(QStringLiteral("new person save (insert, placed in name order)"), personKeys,
              personInsert + nameKeys, QStringLiteral("engine: insert + key read"));
    table.add(QStringLiteral("new person save + data-changed refresh"), personAdd,
              personInsert + nameKeys + engine.time(kDistinctNames),
              QStringLiteral("engine: insert + key read + distinct names"));

    QStringList firms;
    for (const auto& pair : pairs)
        firms << pair.second << pair.second + QStringLiteral(" (none)");
    const int lookups = static_cast<int>(firms.size());
    table.add(QStringLiteral("name look-up: firm exists (average)"),
              average(lookups, [&](int i) { firmExists(firms.at(i)); }),
              average(lookups, [&](int i) {
                  engine.time(QStringLiteral("SELECT 1 FROM Firm WHERE name = %1 LIMIT 1")
                                  .arg(sqlText(firms.at(i))));
              }));
    table.add(
        QStringLiteral("name look-up: person's firm (average)"),
        average(runs, [&](int i) { findPersonFirm(pairs[static_cast<std::size_t>(i)].first); }),
        average(runs, [&](int i) {
            const SplitName name = splitPersonName(pairs[static_cast<std::size_t>(i)].first);
            engine.time(QStringLiteral("SELECT firm FROM Person WHERE lastname = %1 AND "
                                       "firstname = %2 COLLATE BINARY LIMIT 1")
                            .arg(sqlText(name.last), sqlText(name.first)));
        }));
}

}  // namespace

void runEncryptedLookupBench(const QString& folder, BenchTable& table) {
    const QString mainPath = databasePath();
    const QString path = QDir(folder).absoluteFilePath(QStringLiteral("Lookup.mdb"));
    const QString password = QStringLiteral("bench");
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    CDatabase::Create(path, password);
    setDatabasePath(path);
    openSharedDatabase(password);
    sharedDatabase().Execute(QStringLiteral("INSERT INTO [Firm] ([name]) VALUES ('Acme Labs')"));
    EngineConnection engine(path, password);
    const QString name = QStringLiteral("Acme Labs");
    const Timing engineMs = average(20, [&](int) {
        engine.time(QStringLiteral("SELECT 1 FROM Firm WHERE name = 'Acme Labs' LIMIT 1"));
    });
    table.add(QStringLiteral("encrypted file: firm look-up, shared connection"),
              average(20, [&](int) { firmExists(name); }), engineMs);
    table.add(QStringLiteral("encrypted file: firm look-up, own connection"),
              average(3,
                      [&](int) {
                          CFirmRcs firms(nullptr);
                          firms.m_strFilter = QStringLiteral("name = 'Acme Labs'");
                          firms.Open();
                          firms.Close();
                      }),
              engineMs, QStringLiteral("each look-up before this change"));
    setDatabasePath(mainPath);
    openSharedDatabase({});
}

QString distinctNamesSql() {
    return kDistinctNames;
}

void runDataBench(Reference& engine, BenchTable& table) {
    recordSetTimes(engine, table);
    formTimes(engine, table);
}
