#include "data/KnownValues.h"

#include <algorithm>

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

// Visits the rows of a stored query on the shared connection, in the order it gives them.
template <typename Visit>
void readQuery(const char* query, const char* column, Visit visit) {
    CStatement rows(sharedDatabase(),
                    QStringLiteral("SELECT %1 FROM %2")
                        .arg(quotedName(QLatin1String(column)), quotedName(QLatin1String(query))));
    while (rows.step())
        visit(rows.text(0));
}

// Visits the values of a table's columns as the rows were added, each value once: the
// engine groups the rows (from the column's index where there is one) and gives each
// group in the letter case of its first row, ordered by that row. Adding these is the same
// as adding the value of every row in turn, since a row that repeats an earlier value
// (letter case ignored, so also for the lists) adds nothing.
template <typename Visit>
void readFirstMet(const char* table, std::initializer_list<const char*> columns, Visit visit) {
    QStringList names;
    for (const char* column : columns)
        names << quotedName(QLatin1String(column));
    const QString list = names.join(QStringLiteral(", "));
    CStatement rows(sharedDatabase(),
                    QStringLiteral("SELECT %1, min(rowid) AS first_row FROM %2 GROUP BY %1 "
                                   "ORDER BY first_row")
                        .arg(list, quotedName(QLatin1String(table))));
    while (rows.step())
        visit(rows);
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

}  // namespace

bool LoadKnownValues() {
    bool loaded = true;
    FirmNameList().clear();
    PersonNameList().clear();
    GroupNameList().clear();
    // The last-name, first-name and alarm-name lists keep every name met since the start.
    PersonAdder addPerson;
    auto addFirm = [](const QString& firm) { FirmNameList().add(firm); };
    try {
        readFirstMet("Person", {"lastname", "firstname"}, [](const CStatement& row) {
            PersonNameList().add(row.text(0) + u' ' + row.text(1));
            LastNameList().add(FirstWord(row.text(0)));
            FirstNameList().add(LastWord(row.text(1)));
        });
        readQuery("FirmFirmQuery", "name", addFirm);
        readQuery("PersonFirmQuery", "firm", addFirm);
        readQuery("FirmPersonQuery", "person", addPerson);
        readFirstMet("Contact", {"person"}, [&](const CStatement& row) { addPerson(row.text(0)); });
        readFirstMet("Contact", {"firm"}, [&](const CStatement& row) { addFirm(row.text(0)); });
        readFirstMet("Alarm", {"person"}, [&](const CStatement& row) { addPerson(row.text(0)); });
        readFirstMet("Alarm", {"firm"}, [&](const CStatement& row) { addFirm(row.text(0)); });
        readFirstMet("Alarm", {"name"},
                     [](const CStatement& row) { AlarmNameList().add(row.text(0)); });
        CStatement groups(sharedDatabase(),
                          QStringLiteral("SELECT \"Name\" FROM \"Group\" ORDER BY rowid"));
        while (groups.step())
            GroupNameList().append(groups.text(0));
    } catch (const CDbException& error) {
        ReportDbException(error);
        loaded = false;
    }
    FirmNameList().sort();
    PersonNameList().sort();
    GroupNameList().sort();
    return loaded;
}
