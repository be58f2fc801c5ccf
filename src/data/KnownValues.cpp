#include "data/KnownValues.h"

#include <algorithm>

#include "data/AlarmRcs.h"
#include "data/Connection.h"
#include "data/ContactRcs.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/FirmFirmQRcs.h"
#include "data/FirmPersonQRcs.h"
#include "data/GroupRcs.h"
#include "data/PersonFirmQRcs.h"
#include "data/PersonRcs.h"

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

// Reads every record of a record set on the shared connection, in one pass.
template <typename RecordSet, typename Visit>
void readAll(Visit visit) {
    RecordSet records(&sharedDatabase());
    records.Open(CRecordSet::dbOpenForwardOnly);
    for (; !records.IsEOF(); records.MoveNext())
        visit(records);
    records.Close();
}

// Adds a person display name and its words. The same text met again adds nothing new, so
// it is skipped at once: contacts and alarms repeat the same few names many times.
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
    try {
        readAll<CPersonRcs>([](const CRecordSet& r) {
            PersonNameList().add(r.text(QStringLiteral("lastname")) + u' ' +
                                 r.text(QStringLiteral("firstname")));
            LastNameList().add(FirstWord(r.text(QStringLiteral("lastname"))));
            FirstNameList().add(LastWord(r.text(QStringLiteral("firstname"))));
        });
        readAll<CFirmFirmQRcs>(
            [](const CRecordSet& r) { FirmNameList().add(r.text(QStringLiteral("name"))); });
        readAll<CPersonFirmQRcs>(
            [](const CRecordSet& r) { FirmNameList().add(r.text(QStringLiteral("firm"))); });
        readAll<CFirmPersonQRcs>(
            [&](const CRecordSet& r) { addPerson(r.text(QStringLiteral("person"))); });
        readAll<CContactRcs>([&](const CRecordSet& r) {
            addPerson(r.text(QStringLiteral("person")));
            FirmNameList().add(r.text(QStringLiteral("firm")));
        });
        readAll<CAlarmRcs>([&](const CRecordSet& r) {
            addPerson(r.text(QStringLiteral("person")));
            FirmNameList().add(r.text(QStringLiteral("firm")));
            AlarmNameList().add(r.text(QStringLiteral("name")));
        });
        readAll<CGroupRcs>(
            [](const CRecordSet& r) { GroupNameList().append(r.text(QStringLiteral("Name"))); });
    } catch (const CDbException& error) {
        ReportDbException(error);
        loaded = false;
    }
    FirmNameList().sort();
    PersonNameList().sort();
    GroupNameList().sort();
    return loaded;
}
