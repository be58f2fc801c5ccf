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
};

SourceCache& cache() {
    static SourceCache object;
    return object;
}

// Adds a person display name and its words. The same text met again adds nothing new, so
// it is skipped at once: firms, contacts and alarms repeat the same names.
class PersonAdder {
public:
    void operator()(const QString& person) {
        if (!m_done.insert(person).second)
            return;
        PersonNameList().add(person);
        LastNameList().add(FirstWord(person));
        FirstNameList().add(LastWord(person));
    }

private:
    KnownValueList::TextSet m_done;
};

// Fills the lists from the texts of every source, in their order. `ready(source)` is called
// before a source's texts are used, so that a source still being read is waited for only
// when the adding reaches it.
void addSources(const std::array<QStringList, kSources>& texts,
                const std::function<void(int)>& ready) {
    PersonAdder addPerson;
    const auto of = [&](int source) -> const QStringList& {
        ready(source);
        return texts[std::size_t(source)];
    };
    const QStringList& names = of(PersonNames);
    for (qsizetype i = 0; i + 1 < names.size(); i += 2) {
        const QString& last = names[i];
        const QString& first = names[i + 1];
        PersonNameList().add(last + u' ' + first);
        LastNameList().add(FirstWord(last));
        FirstNameList().add(LastWord(first));
    }
    for (int source : {FirmNames, PersonFirms})
        for (const QString& firm : of(source))
            FirmNameList().add(firm);
    for (const QString& person : of(FirmPersons))
        addPerson(person);
    for (const QString& person : of(ContactPersons))
        addPerson(person);
    for (const QString& firm : of(ContactFirms))
        FirmNameList().add(firm);
    for (const QString& person : of(AlarmPersons))
        addPerson(person);
    for (const QString& firm : of(AlarmFirms))
        FirmNameList().add(firm);
    for (const QString& name : of(AlarmNames))
        AlarmNameList().add(name);
    for (const QString& group : of(GroupNames))
        GroupNameList().append(group);
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
    addSources(sources.texts, [&](int source) {
        std::future<QStringList>& texts = reading[std::size_t(source)];
        if (!texts.valid())
            return;
        try {
            sources.texts[std::size_t(source)] = texts.get();
        } catch (const CDbException& error) {
            failed(error);
        }
    });
    FirmNameList().sort();
    PersonNameList().sort();
    GroupNameList().sort();
    sources.valid = loaded;
    sources.changedTables.clear();
    sources.allChanged = !loaded;
    return loaded;
}
