#include "data/KnownValues.h"

#include <QSet>
#include <algorithm>
#include <array>

#include "data/Connection.h"
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
QStringList readQuery(const char* query, const char* column) {
    CStatement rows(sharedDatabase(),
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
QStringList readFirstMet(const char* table, std::initializer_list<const char*> columns) {
    QStringList names;
    for (const char* column : columns)
        names << quotedName(QLatin1String(column));
    const QString list = names.join(QStringLiteral(", "));
    CStatement rows(sharedDatabase(),
                    QStringLiteral("SELECT %1, min(rowid) AS first_row FROM %2 GROUP BY %1 "
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

QStringList readSource(int source) {
    switch (source) {
        case PersonNames:
            return readFirstMet("Person", {"lastname", "firstname"});
        case FirmNames:
            return readQuery("FirmFirmQuery", "name");
        case PersonFirms:
            return readQuery("PersonFirmQuery", "firm");
        case FirmPersons:
            return readQuery("FirmPersonQuery", "person");
        case ContactPersons:
            return readFirstMet("Contact", {"person"});
        case ContactFirms:
            return readFirstMet("Contact", {"firm"});
        case AlarmPersons:
            return readFirstMet("Alarm", {"person"});
        case AlarmFirms:
            return readFirstMet("Alarm", {"firm"});
        case AlarmNames:
            return readFirstMet("Alarm", {"name"});
        default: {
            CStatement groups(sharedDatabase(),
                              QStringLiteral("SELECT `Name` FROM `Group` ORDER BY rowid"));
            QStringList names;
            while (groups.step())
                names << groups.text(0);
            return names;
        }
    }
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

// Fills the lists from the texts of every source, in their order.
void addSources(const std::array<QStringList, kSources>& texts) {
    PersonAdder addPerson;
    const QStringList& names = texts[PersonNames];
    for (qsizetype i = 0; i + 1 < names.size(); i += 2) {
        const QString& last = names[i];
        const QString& first = names[i + 1];
        PersonNameList().add(last + u' ' + first);
        LastNameList().add(FirstWord(last));
        FirstNameList().add(LastWord(first));
    }
    for (int source : {FirmNames, PersonFirms})
        for (const QString& firm : texts[std::size_t(source)])
            FirmNameList().add(firm);
    for (const QString& person : texts[FirmPersons])
        addPerson(person);
    for (const QString& person : texts[ContactPersons])
        addPerson(person);
    for (const QString& firm : texts[ContactFirms])
        FirmNameList().add(firm);
    for (const QString& person : texts[AlarmPersons])
        addPerson(person);
    for (const QString& firm : texts[AlarmFirms])
        FirmNameList().add(firm);
    for (const QString& name : texts[AlarmNames])
        AlarmNameList().add(name);
    for (const QString& group : texts[GroupNames])
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
    if (everything)
        sources.texts = {};
    try {
        for (int source = 0; source < kSources; ++source) {
            if (everything ||
                sources.changedTables.contains(QString::fromLatin1(sourceTable(source)).toLower()))
                sources.texts[std::size_t(source)] = readSource(source);
        }
        sources.valid = true;
    } catch (const CDbException& error) {
        ReportDbException(error);
        loaded = false;
        sources.valid = false;
    }
    sources.changedTables.clear();
    sources.allChanged = !sources.valid;
    FirmNameList().clear();
    PersonNameList().clear();
    GroupNameList().clear();
    // The last-name, first-name and alarm-name lists keep every name met since the start.
    addSources(sources.texts);
    FirmNameList().sort();
    PersonNameList().sort();
    GroupNameList().sort();
    return loaded;
}
