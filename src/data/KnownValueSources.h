#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>
#include <QVariant>
#include <array>
#include <map>
#include <stop_token>

class CDatabase;
class KnownValueList;
struct DataChange;

// The six lists one load or update fills.
struct KnownValueLists {
    KnownValueList& firms;
    KnownValueList& persons;
    KnownValueList& groups;
    KnownValueList& lastNames;
    KnownValueList& firstNames;
    KnownValueList& alarms;
};

// The table and columns that one source of known values reads (second: nullptr for one).
struct KnownValueColumns {
    const char* table;
    const char* first;
    const char* second;
};

// The places (source, first row) where one name of a sorted list is met, each with the
// name's text there, the first place first. Most names are met in one or two places, which
// it holds without an allocation of their own.
class KnownValueCandidates {
public:
    using Place = std::pair<int, qint32>;
    // Adds the place unless it is held already.
    void insert(Place place, const QString& text);
    void erase(Place place);
    bool empty() const { return m_items.isEmpty(); }
    const QString& first() const { return m_items.front().text; }

private:
    struct Item {
        Place place;
        QString text;
    };
    using Items = QVarLengthArray<Item, 2>;
    // Where the place is held, or would go.
    Items::iterator placeOf(Place place);
    Items m_items;
};

// Where the known values come from, and what each source gave: for every column value (letter
// case of ASCII letters ignored, as the engine groups the columns) its first row and that
// row's text. A name met in several sources, or in several groups that differ in the letter
// case of other letters, is listed as the one met first: the earliest source, then the
// earliest row. Knowing the first row of every name lets a change be applied to the lists by
// reading only the changed rows and the names they leave or join.
class KnownValueSources {
public:
    // Reads every source on `db` and fills the lists from them: the firm, person and group
    // lists anew, sorted; the others take the names they do not hold yet. False when `stop`
    // ended it. On a failure (CDbException) the lists hold what was read before it.
    bool load(CDatabase& db, const KnownValueLists& lists, const std::stop_token* stop = nullptr);
    // Brings what was read and the lists up to date with the rows the change names
    // (Person, Firm, Contact, Alarm and Group; other tables give no names). Throws
    // CDbException; what was applied before stays.
    void apply(CDatabase& db, const DataChange& change, const KnownValueLists& lists);

    // Where the sources are, in the order their names are met.
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
        kNamedSources,
        GroupNames = kNamedSources
    };
    // The table and columns of one of the named sources.
    static KnownValueColumns columnsOf(int source);
    // The values of a source's one or two columns in one row (an invalid variant for NULL).
    using RowValues = QVarLengthArray<QVariant, 2>;

private:
    // What tells one name group of a source from the others: the text of its column (the
    // texts with their lengths, for a source of two columns), or NULL.
    struct GroupKey {
        QString text;
        bool null = false;
        bool operator==(const GroupKey&) const = default;
        friend size_t qHash(const GroupKey& key, size_t seed = 0) {
            return qHashMulti(seed, key.text, key.null);
        }
    };
    static GroupKey groupKey(const RowValues& values, bool exact);
    // The first row's column values of one name group (an invalid variant for NULL).
    struct Entry {
        GroupKey key;
        RowValues values;
    };
    struct SourceState {
        std::map<qint32, Entry> byFirstRow;
        QHash<GroupKey, qint32> firstRowOfKey;
    };
    // Every name met for one sorted list, per case-folded text: the sources and first rows
    // that give it, so that the one met first is known when another one goes.
    using Winners = QHash<QString, KnownValueCandidates>;

    class ReadProgress;
    // The lists are filled from each source as soon as it is read, on threads of their own:
    // read() runs on the thread of `db`, fill() beside it.
    void read(CDatabase& db, ReadProgress& progress);
    bool fill(const KnownValueLists& lists, const std::stop_token* stop,
              const ReadProgress& progress);
    void applyTable(CDatabase& db, const QString& table, const QList<qint32>& ids,
                    const KnownValueLists& lists);
    void entryAdded(int source, qint32 row, const RowValues& values, const KnownValueLists& lists);
    void entryRemoved(int source, qint32 row, const RowValues& values,
                      const KnownValueLists& lists);

    std::array<SourceState, kNamedSources> m_sources;
    std::map<qint32, QString> m_groups;
    Winners m_firms;
    Winners m_persons;
};
