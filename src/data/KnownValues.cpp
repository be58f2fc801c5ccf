#include "data/KnownValues.h"

#include <sqlite3.h>

#include <QSet>
#include <algorithm>
#include <array>
#include <functional>
#include <future>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

void KnownValueList::add(const QString& text) {
    if (!m_metTexts.insert(text).second)
        return;
    if (m_foldedItems.insert(text.toCaseFolded()).second)
        m_items.append(text);
}

void KnownValueList::append(const QString& text) {
    m_items.append(text);
    m_metTexts.insert(text);
    m_foldedItems.insert(text.toCaseFolded());
}

void KnownValueList::clear() {
    m_items.clear();
    m_metTexts.clear();
    m_foldedItems.clear();
}

void KnownValueList::sort() {
    std::sort(m_items.begin(), m_items.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseSensitive) < 0;
    });
}

KnownValueList& FirmNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& PersonNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& GroupNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& LastNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& FirstNameList() {
    static KnownValueList list;
    return list;
}

KnownValueList& AlarmNameList() {
    static KnownValueList list;
    return list;
}

QString FirstWord(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype blank = trimmed.indexOf(u' ');
    return blank < 0 ? trimmed : trimmed.left(blank).trimmed();
}

QString LastWord(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype blank = trimmed.lastIndexOf(u' ');
    return blank < 0 ? trimmed : trimmed.mid(blank + 1).trimmed();
}

namespace {

// The texts of a stored query on the shared connection, in the order it gives them.
QStringList readQuery(CDatabase& db, const char* query, const char* column) {
    CStatement rows(db,
                    QStringLiteral("SELECT %1 FROM %2")
                        .arg(quotedName(QLatin1String(column)), quotedName(QLatin1String(query))));
    QStringList texts;
    while (rows.step())
        texts << rows.text(0);
    return texts;
}

// The values of a table's columns as the rows were added, each value once: the engine
// groups the rows (from the column's index where there is one) and gives each group in the
// letter case of its first row, ordered by that row. Adding these is the same as adding the
// value of every row in turn, since a row that repeats an earlier value (letter case
// ignored, so also for the lists) adds nothing. Several columns come one after the other.
QStringList readFirstMet(CDatabase& db, const char* table,
                         std::initializer_list<const char*> columns) {
    QStringList names;
    for (const char* column : columns)
        names << quotedName(QLatin1String(column));
    const QString list = names.join(QStringLiteral(", "));
    CStatement rows(db, QStringLiteral("SELECT %1, min(rowid) AS first_row FROM %2 GROUP BY %1 "
                                       "ORDER BY first_row")
                            .arg(list, quotedName(QLatin1String(table))));
    QStringList texts;
    const int count = static_cast<int>(columns.size());
    while (rows.step()) {
        for (int i = 0; i < count; ++i)
            texts << rows.text(i);
    }
    return texts;
}

// Where the names come from, in the order they are added to the lists, and the table
// each one reads.
enum Source {
    PersonNames,
    FirmNames,
    PersonFirms,
    FirmPersons,
    ContactPersons,
    ContactFirms,
    AlarmPersons,
    AlarmFirms,
    AlarmNames,
    GroupNames,
    kSources
};

const char* sourceTable(int source) {
    switch (source) {
        case PersonNames:
        case PersonFirms:
            return "Person";
        case FirmNames:
        case FirmPersons:
            return "Firm";
        case ContactPersons:
        case ContactFirms:
            return "Contact";
        case GroupNames:
            return "Group";
        default:
            return "Alarm";
    }
}

QStringList readSource(CDatabase& db, int source) {
    switch (source) {
        case PersonNames:
            return readFirstMet(db, "Person", {"lastname", "firstname"});
        case FirmNames:
            return readQuery(db, "FirmFirmQuery", "name");
        case PersonFirms:
            return readQuery(db, "PersonFirmQuery", "firm");
        case FirmPersons:
            return readQuery(db, "FirmPersonQuery", "person");
        case ContactPersons:
            return readFirstMet(db, "Contact", {"person"});
        case ContactFirms:
            return readFirstMet(db, "Contact", {"firm"});
        case AlarmPersons:
            return readFirstMet(db, "Alarm", {"person"});
        case AlarmFirms:
            return readFirstMet(db, "Alarm", {"firm"});
        case AlarmNames:
            return readFirstMet(db, "Alarm", {"name"});
        default: {
            CStatement groups(db, QStringLiteral("SELECT `Name` FROM `Group` ORDER BY rowid"));
            QStringList names;
            while (groups.step())
                names << groups.text(0);
            return names;
        }
    }
}

// Whether a source is read on a connection of its own, on a thread of its own, while the
// others are read on the shared connection: the sources that read every person or contact,
// when the table is large enough to be worth a new connection (which costs a key derivation
// on an encrypted file).
bool readsApart(CDatabase& shared, int source) {
    constexpr qint64 kRowsWorthAConnection = 50000;
    if (source != PersonNames && source != ContactPersons && source != ContactFirms)
        return false;
    CStatement last(shared, QStringLiteral("SELECT max(rowid) FROM %1")
                                .arg(quotedName(QLatin1String(sourceTable(source)))));
    return last.step() && last.int64(0) >= kRowsWorthAConnection;
}

// The texts of a source, read on a new read-only connection to the file.
QStringList readSourceApart(const QString& path, const QString& password, int source) {
    CDatabase db;
    db.Open(path, false, true, connectText(password));
    return readSource(db, source);
}

// What each source gave at the last load, and the tables written since.
struct SourceCache {
    std::array<QStringList, kSources> texts;
    bool valid = false;
    QSet<QString> changedTables;
    bool allChanged = true;
    // A background load is under way: a load now would read what it reads; the writes noted
    // meanwhile are read again when its result is put in force.
    bool pending = false;
};

SourceCache& cache() {
    static SourceCache object;
    return object;
}

// The six lists a load fills: the process-wide ones, or those a background load builds
// before they are put in force.
struct ListSet {
    KnownValueList& firms;
    KnownValueList& persons;
    KnownValueList& groups;
    KnownValueList& lastNames;
    KnownValueList& firstNames;
    KnownValueList& alarms;
};

ListSet processLists() {
    return {FirmNameList(), PersonNameList(), GroupNameList(),
            LastNameList(), FirstNameList(),  AlarmNameList()};
}

// Adds a person display name and its words. The same text met again adds nothing new, so
// it is skipped at once: firms, contacts and alarms repeat the same names.
class PersonAdder {
public:
    explicit PersonAdder(const ListSet& lists) : m_lists(lists) {}
    void operator()(const QString& person) {
        if (!m_done.insert(person).second)
            return;
        m_lists.persons.add(person);
        m_lists.lastNames.add(FirstWord(person));
        m_lists.firstNames.add(LastWord(person));
    }

private:
    const ListSet& m_lists;
    KnownValueList::TextSet m_done;
};

// Thrown out of a background load's loops when it is asked to stop.
struct LoadStopped {};

// Looks at the stop token once in so many names: often enough to end at once, seldom
// enough to cost nothing.
class StopCheck {
public:
    explicit StopCheck(const std::stop_token* stop) : m_stop(stop) {}
    void operator()() {
        if (m_stop && (++m_count & 0xFFF) == 0 && m_stop->stop_requested())
            throw LoadStopped();
    }

private:
    const std::stop_token* m_stop;
    unsigned m_count = 0;
};

// Fills the lists from the texts of every source, in their order. `ready(source)` is called
// before a source's texts are used, so that a source still being read is waited for only
// when the adding reaches it. A stop token ends a background load early (LoadStopped).
void addSources(const std::array<QStringList, kSources>& texts, const ListSet& lists,
                const std::function<void(int)>& ready, const std::stop_token* stop = nullptr) {
    PersonAdder addPerson(lists);
    StopCheck check(stop);
    const auto of = [&](int source) -> const QStringList& {
        ready(source);
        return texts[std::size_t(source)];
    };
    const QStringList& names = of(PersonNames);
    for (qsizetype i = 0; i + 1 < names.size(); i += 2) {
        check();
        const QString& last = names[i];
        const QString& first = names[i + 1];
        lists.persons.add(last + u' ' + first);
        lists.lastNames.add(FirstWord(last));
        lists.firstNames.add(LastWord(first));
    }
    const auto addAll = [&](int source, auto&& add) {
        for (const QString& text : of(source)) {
            check();
            add(text);
        }
    };
    const auto addFirm = [&](const QString& firm) { lists.firms.add(firm); };
    addAll(FirmNames, addFirm);
    addAll(PersonFirms, addFirm);
    addAll(FirmPersons, addPerson);
    addAll(ContactPersons, addPerson);
    addAll(ContactFirms, addFirm);
    addAll(AlarmPersons, addPerson);
    addAll(AlarmFirms, addFirm);
    addAll(AlarmNames, [&](const QString& name) { lists.alarms.add(name); });
    addAll(GroupNames, [&](const QString& group) { lists.groups.append(group); });
}

void sortLists(const ListSet& lists) {
    lists.firms.sort();
    lists.persons.sort();
    lists.groups.sort();
}

// Puts a list built in the background in force beside the names met before: the lists that
// keep every name met since the start take the new names after their own.
void mergeList(KnownValueList& list, KnownValueList&& built) {
    if (list.count() == 0) {
        list = std::move(built);
        return;
    }
    for (const QString& text : built.items())
        list.add(text);
}

}  // namespace

void NoteKnownValuesChanged(const QString& table) {
    cache().changedTables.insert(table.toLower());
}

void NoteAllKnownValuesChanged() {
    cache().allChanged = true;
}

bool LoadKnownValues() {
    SourceCache& sources = cache();
    if (sources.pending)
        return true;
    const bool everything = !sources.valid || sources.allChanged;
    bool loaded = true;
    const auto failed = [&](const CDbException& error) {
        if (loaded)
            ReportDbException(error);
        loaded = false;
    };
    if (everything)
        sources.texts = {};
    // Connections of their own see only what is committed: within a transaction of the
    // shared connection everything is read on it.
    CDatabase& shared = sharedDatabase();
    const bool apart = shared.IsOpen() && sqlite3_get_autocommit(shared.handle()) != 0;
    std::array<std::future<QStringList>, kSources> reading;
    try {
        for (int source = 0; source < kSources; ++source) {
            if (!everything &&
                !sources.changedTables.contains(QString::fromLatin1(sourceTable(source)).toLower()))
                continue;
            if (apart && readsApart(shared, source))
                reading[std::size_t(source)] = std::async(
                    std::launch::async, readSourceApart, databasePath(), currentPassword(), source);
            else
                sources.texts[std::size_t(source)] = readSource(shared, source);
        }
    } catch (const CDbException& error) {
        failed(error);
    }
    FirmNameList().clear();
    PersonNameList().clear();
    GroupNameList().clear();
    // The last-name, first-name and alarm-name lists keep every name met since the start.
    addSources(sources.texts, processLists(), [&](int source) {
        std::future<QStringList>& texts = reading[std::size_t(source)];
        if (!texts.valid())
            return;
        try {
            sources.texts[std::size_t(source)] = texts.get();
        } catch (const CDbException& error) {
            failed(error);
        }
    });
    sortLists(processLists());
    sources.valid = loaded;
    sources.changedTables.clear();
    sources.allChanged = !loaded;
    return loaded;
}

struct KnownValueSnapshot {
    std::array<QStringList, kSources> texts;
    KnownValueList firms, persons, groups, lastNames, firstNames, alarms;
};

namespace {

ListSet listsOf(KnownValueSnapshot& snapshot) {
    return {snapshot.firms,     snapshot.persons,    snapshot.groups,
            snapshot.lastNames, snapshot.firstNames, snapshot.alarms};
}

}  // namespace

void BeginKnownValueLoad() {
    SourceCache& sources = cache();
    sources.pending = true;
    sources.changedTables.clear();
    sources.allChanged = false;
}

void AbandonKnownValueLoad() {
    SourceCache& sources = cache();
    if (!sources.pending)
        return;
    sources.pending = false;
    sources.allChanged = true;
}

bool KnownValueLoadPending() {
    return cache().pending;
}

std::shared_ptr<KnownValueSnapshot> ReadKnownValues(CDatabase& db, const std::stop_token& stop) {
    auto snapshot = std::make_shared<KnownValueSnapshot>();
    // One read transaction: every source sees the file as it was at the same moment.
    CStatement(db, QStringLiteral("BEGIN")).execute();
    for (int source = 0; source < kSources; ++source)
        snapshot->texts[std::size_t(source)] = readSource(db, source);
    CStatement(db, QStringLiteral("COMMIT")).execute();
    try {
        addSources(
            snapshot->texts, listsOf(*snapshot), [](int) {}, &stop);
    } catch (const LoadStopped&) {
        return nullptr;
    }
    sortLists(listsOf(*snapshot));
    return snapshot;
}

bool InstallKnownValues(KnownValueSnapshot&& snapshot) {
    SourceCache& sources = cache();
    sources.pending = false;
    // Written past the record sets meanwhile: what was read may be anything but current.
    if (sources.allChanged)
        return false;
    sources.texts = std::move(snapshot.texts);
    sources.valid = true;
    FirmNameList() = std::move(snapshot.firms);
    PersonNameList() = std::move(snapshot.persons);
    GroupNameList() = std::move(snapshot.groups);
    mergeList(LastNameList(), std::move(snapshot.lastNames));
    mergeList(FirstNameList(), std::move(snapshot.firstNames));
    mergeList(AlarmNameList(), std::move(snapshot.alarms));
    // The tables written since the load began are read again, as after any save.
    if (!sources.changedTables.isEmpty())
        LoadKnownValues();
    return true;
}
