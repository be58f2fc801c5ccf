#include "data/KnownValueSources.h"

#include <QVariant>
#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <exception>
#include <future>
#include <mutex>
#include <utility>

#include "data/ChangeNotifier.h"
#include "data/Database.h"
#include "data/KnownValues.h"
#include "data/ServerKnownValues.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"
#include "platform/CaseFold.h"

namespace {

// What a source's names become in the lists.
enum class Kind { LastAndFirstName, Person, Firm, AlarmName };

struct SourceDef {
    const char* table;
    const char* first;
    const char* second;
    Kind kind;
};

// In the order of KnownValueSources::Source.
constexpr SourceDef kSources[] = {
    {"Person", "lastname", "firstname", Kind::LastAndFirstName},
    {"Firm", "name", nullptr, Kind::Firm},
    {"Person", "firm", nullptr, Kind::Firm},
    {"Firm", "person", nullptr, Kind::Person},
    {"Contact", "person", nullptr, Kind::Person},
    {"Contact", "firm", nullptr, Kind::Firm},
    {"Alarm", "person", nullptr, Kind::Person},
    {"Alarm", "firm", nullptr, Kind::Firm},
    {"Alarm", "name", nullptr, Kind::AlarmName},
};
static_assert(std::size(kSources) == std::size_t(KnownValueSources::kNamedSources));

// The tables that give names, in the order of their first source.
constexpr const char* kTables[] = {"Person", "Firm", "Contact", "Alarm", "Group"};

QString table(const SourceDef& source) {
    return quotedName(QLatin1String(source.table));
}

QStringList columns(const SourceDef& source) {
    QStringList names{quotedName(QLatin1String(source.first))};
    if (source.second)
        names << quotedName(QLatin1String(source.second));
    return names;
}

// The file's columns group names as NOCASE compares them (ASCII letters only), through their
// indexes. The server's collation ignores the letter case of every letter and would give a
// group in the letter case of any of its rows, so there names group by their exact text: the
// lists fold letter case themselves and take the first row of each folded name either way.
QStringList groupedColumns(const SourceDef& source, bool exact) {
    QStringList names = columns(source);
    if (exact)
        for (QString& name : names)
            name += QStringLiteral(" COLLATE BINARY");
    return names;
}

// A column value as stored: an invalid variant for NULL, the text otherwise.
KnownValueSources::RowValues readValues(const CStatement& row, int from, int count) {
    KnownValueSources::RowValues values;
    for (int column = from; column < from + count; ++column)
        values << (row.isNull(column) ? QVariant() : QVariant(row.text(column)));
    return values;
}

QString textOf(const KnownValueSources::RowValues& values, int index) {
    return values.at(index).toString();
}

// The text with ASCII letters in lower case, as NOCASE compares it; shared when it has no
// upper-case ASCII letter.
QString asciiLowered(const QString& text) {
    const auto upper = [](QChar c) { return c >= u'A' && c <= u'Z'; };
    if (std::none_of(text.cbegin(), text.cend(), upper))
        return text;
    QString lowered = text;
    for (QChar& c : lowered)
        if (upper(c))
            c = QChar(c.unicode() + 32);
    return lowered;
}

// Thrown out of a background fill when it is asked to stop.
struct FillStopped {};

// Looks at the stop token once in so many names: often enough to end at once, seldom
// enough to cost nothing.
class StopCheck {
public:
    explicit StopCheck(const std::stop_token* stop) : m_stop(stop) {}
    void operator()() {
        if (m_stop && (++m_count & 0xFFF) == 0 && m_stop->stop_requested())
            throw FillStopped();
    }

private:
    const std::stop_token* m_stop;
    unsigned m_count = 0;
};

}  // namespace

// The name group of the values as the engine forms it (see groupedColumns): with NOCASE,
// which ignores the letter case of ASCII letters only, or exactly; NULL is a group of its own.
KnownValueSources::GroupKey KnownValueSources::groupKey(const RowValues& values, bool exact) {
    // One column's text is its own key, shared: most rows' keys cost no copy.
    if (values.size() == 1) {
        if (!values.front().isValid())
            return {QString(), true};
        const QString text = values.front().toString();
        return {exact ? text : asciiLowered(text), false};
    }
    // Several texts, each after its length, and "N" for NULL.
    QString key;
    qsizetype length = 0;
    for (const QVariant& value : values)
        length += 12 + (value.isValid() ? value.toString().size() : 0);
    key.reserve(length);
    for (const QVariant& value : values) {
        if (!value.isValid()) {
            key += u'N';
            continue;
        }
        const QString text = value.toString();
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, text.size()).ptr;
        key += QLatin1StringView(digits, end - digits);
        key += u':';
        key += exact ? text : asciiLowered(text);
    }
    return {key, false};
}

KnownValueColumns KnownValueSources::columnsOf(int source) {
    const SourceDef& def = kSources[source];
    return {def.table, def.first, def.second};
}

namespace {

// The statement that gives a source's groups in the order of their first rows: the engine
// groups the rows (from the column's index on the file) and gives each group in the letter
// case of its first row. A server that keeps the groups ready gives them from there.
QString groupsSql(int source, bool exact, bool kept) {
    const SourceDef& def = kSources[source];
    if (kept)
        return QStringLiteral(
                   "SELECT `value1`%1, `first_row` FROM `KnownValue` WHERE `source` = "
                   "'%2' ORDER BY `first_row`")
            .arg(def.second ? QStringLiteral(", `value2`") : QString(),
                 serverknownvalues::sourceName(source));
    const QString list = groupedColumns(def, exact).join(QStringLiteral(", "));
    return QStringLiteral(
               "SELECT %1, min(rowid) AS first_row FROM %2 GROUP BY %1 ORDER BY "
               "first_row")
        .arg(list, table(def));
}

}  // namespace

// How far a read has come, for the fill that runs beside it: each source is left alone by
// the read once it is counted here.
class KnownValueSources::ReadProgress {
public:
    // Waits until the source (or the group names, at kNamedSources) is read, or the read
    // has ended without it.
    void waitFor(int source) const {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_ended || m_read > source; });
    }
    void read(int count) {
        {
            const std::lock_guard lock(m_mutex);
            m_read = count;
        }
        m_changed.notify_all();
    }
    void end() {
        {
            const std::lock_guard lock(m_mutex);
            m_ended = true;
        }
        m_changed.notify_all();
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    int m_read = 0;
    bool m_ended = false;
};

bool KnownValueSources::load(CDatabase& db, const KnownValueLists& lists,
                             const std::stop_token* stop) {
    m_sources = {};
    m_groups.clear();
    ReadProgress progress;
    // The rows of the next source arrive while the names of the last are put in the lists.
    auto filled = std::async(std::launch::async, [&] { return fill(lists, stop, progress); });
    try {
        read(db, progress);
    } catch (...) {
        // The lists take what was read, as a fill after the read would.
        progress.end();
        filled.wait();
        throw;
    }
    return filled.get();
}

void KnownValueSources::read(CDatabase& db, ReadProgress& progress) {
    const bool kept = db.isServer() && serverknownvalues::readable(db);
    for (std::size_t source = 0; source < kNamedSources; ++source) {
        const SourceDef& def = kSources[source];
        const int count = def.second ? 2 : 1;
        CStatement rows(db, groupsSql(int(source), db.isServer(), kept));
        SourceState& state = m_sources[source];
        while (rows.step()) {
            RowValues values = readValues(rows, 0, count);
            const auto row = static_cast<qint32>(rows.int64(count));
            state.byFirstRow.emplace_hint(
                state.byFirstRow.end(), row,
                Entry{groupKey(values, db.isServer()), std::move(values)});
        }
        progress.read(int(source) + 1);
        // The fill reads only the rows; the keys' index is made meanwhile, at its final size.
        state.firstRowOfKey.reserve(qsizetype(state.byFirstRow.size()));
        for (const auto& [row, entry] : state.byFirstRow)
            state.firstRowOfKey.insert(entry.key, row);
    }
    CStatement groups(db, QStringLiteral("SELECT rowid, `Name` FROM `Group`"));
    while (groups.step())
        m_groups.emplace(static_cast<qint32>(groups.int64(0)), groups.text(1));
    progress.read(kNamedSources + 1);
}

bool KnownValueSources::fill(const KnownValueLists& lists, const std::stop_token* stop,
                             const ReadProgress& progress) {
    lists.firms.clear();
    lists.persons.clear();
    lists.groups.clear();
    m_firms.clear();
    m_persons.clear();

    // The sorted person and firm lists: every name's places, and the first of each in the
    // list. The sources are read in the order of their places and each source's rows by
    // row, so the first place met of a name is its first place.
    const auto sortedLists = [&] {
        StopCheck check(stop);
        for (int source = 0; source < kNamedSources; ++source) {
            const Kind kind = kSources[source].kind;
            if (kind == Kind::AlarmName)
                continue;
            progress.waitFor(source);
            const auto& entries = m_sources[std::size_t(source)].byFirstRow;
            Winners& winners = kind == Kind::Firm ? m_firms : m_persons;
            winners.reserve(winners.size() + qsizetype(entries.size()));
            QStringList newNames;
            for (const auto& [row, entry] : entries) {
                check();
                const QString text = kind == Kind::LastAndFirstName
                                         ? textOf(entry.values, 0) + u' ' + textOf(entry.values, 1)
                                         : textOf(entry.values, 0);
                KnownValueCandidates& candidates = winners[caseFolded(text)];
                if (candidates.empty())
                    newNames.append(text);
                candidates.insert({source, row}, text);
            }
            (kind == Kind::Firm ? lists.firms : lists.persons).mergeSorted(std::move(newNames));
        }
    };
    // The lists that keep every name once met, in the order the sources meet them.
    const auto metLists = [&] {
        StopCheck check(stop);
        for (int source = 0; source < kNamedSources; ++source) {
            const Kind kind = kSources[source].kind;
            if (kind == Kind::Firm)
                continue;
            progress.waitFor(source);
            for (const auto& [row, entry] : m_sources[std::size_t(source)].byFirstRow) {
                check();
                const QString first = textOf(entry.values, 0);
                if (kind == Kind::AlarmName) {
                    lists.alarms.add(first);
                    continue;
                }
                lists.lastNames.add(FirstWord(first));
                lists.firstNames.add(
                    LastWord(kind == Kind::LastAndFirstName ? textOf(entry.values, 1) : first));
            }
        }
    };

    try {
        // The two touch different lists and only read the sources: they run side by side.
        auto sorted = std::async(std::launch::async, sortedLists);
        std::exception_ptr metFailure;
        try {
            metLists();
        } catch (...) {
            metFailure = std::current_exception();
        }
        sorted.get();
        if (metFailure)
            std::rethrow_exception(metFailure);
        progress.waitFor(kNamedSources);
        for (const auto& [id, name] : m_groups)
            lists.groups.append(name);
        lists.groups.sort();
    } catch (const FillStopped&) {
        return false;
    }
    return true;
}

KnownValueCandidates::Items::iterator KnownValueCandidates::placeOf(Place place) {
    return std::lower_bound(m_items.begin(), m_items.end(), place,
                            [](const Item& item, Place p) { return item.place < p; });
}

void KnownValueCandidates::insert(Place place, const QString& text) {
    const auto at = placeOf(place);
    if (at == m_items.end() || at->place != place)
        m_items.insert(at, Item{place, text});
}

void KnownValueCandidates::erase(Place place) {
    const auto at = placeOf(place);
    if (at != m_items.end() && at->place == place)
        m_items.erase(at);
}

namespace {

void addCandidate(QHash<QString, KnownValueCandidates>& winners, KnownValueList& list, int source,
                  qint32 row, const QString& text) {
    auto& candidates = winners[caseFolded(text)];
    const QString before = candidates.empty() ? QString() : candidates.first();
    const bool wasListed = !candidates.empty();
    candidates.insert({source, row}, text);
    const QString& now = candidates.first();
    if (wasListed && now == before)
        return;
    if (wasListed)
        list.removeSorted(before);
    list.insertSorted(now);
}

void removeCandidate(QHash<QString, KnownValueCandidates>& winners, KnownValueList& list,
                     int source, qint32 row, const QString& text) {
    const auto found = winners.find(caseFolded(text));
    if (found == winners.end())
        return;
    auto& candidates = *found;
    const QString before = candidates.first();
    candidates.erase({source, row});
    if (!candidates.empty() && candidates.first() == before)
        return;
    list.removeSorted(before);
    if (candidates.empty())
        winners.erase(found);
    else
        list.insertSorted(candidates.first());
}

}  // namespace

void KnownValueSources::entryAdded(int source, qint32 row, const RowValues& values,
                                   const KnownValueLists& lists) {
    const QString first = textOf(values, 0);
    switch (kSources[source].kind) {
        case Kind::LastAndFirstName: {
            const QString second = textOf(values, 1);
            addCandidate(m_persons, lists.persons, source, row, first + u' ' + second);
            lists.lastNames.add(FirstWord(first));
            lists.firstNames.add(LastWord(second));
            break;
        }
        case Kind::Person:
            addCandidate(m_persons, lists.persons, source, row, first);
            lists.lastNames.add(FirstWord(first));
            lists.firstNames.add(LastWord(first));
            break;
        case Kind::Firm:
            addCandidate(m_firms, lists.firms, source, row, first);
            break;
        case Kind::AlarmName:
            lists.alarms.add(first);
            break;
    }
}

void KnownValueSources::entryRemoved(int source, qint32 row, const RowValues& values,
                                     const KnownValueLists& lists) {
    // The last-name, first-name and alarm-name lists keep every name once met.
    const QString first = textOf(values, 0);
    switch (kSources[source].kind) {
        case Kind::LastAndFirstName:
            removeCandidate(m_persons, lists.persons, source, row,
                            first + u' ' + textOf(values, 1));
            break;
        case Kind::Person:
            removeCandidate(m_persons, lists.persons, source, row, first);
            break;
        case Kind::Firm:
            removeCandidate(m_firms, lists.firms, source, row, first);
            break;
        case Kind::AlarmName:
            break;
    }
}

void KnownValueSources::apply(CDatabase& db, const DataChange& change,
                              const KnownValueLists& lists) {
    for (const char* name : kTables) {
        const TableChange* written = change.table(QString::fromLatin1(name));
        if (!written)
            continue;
        QList<qint32> ids;
        ids.reserve(qsizetype(written->size()));
        for (const auto* part : {&written->inserted, &written->updated, &written->deleted})
            ids.append(QList<qint32>(part->begin(), part->end()));
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        applyTable(db, QLatin1String(name), ids, lists);
    }
}

void KnownValueSources::applyTable(CDatabase& db, const QString& tableName,
                                   const QList<qint32>& ids, const KnownValueLists& lists) {
    for (int source = 0; source < kNamedSources; ++source) {
        const SourceDef& def = kSources[source];
        if (tableName != QLatin1String(def.table))
            continue;
        SourceState& state = m_sources[std::size_t(source)];
        const QStringList names = columns(def);
        const int count = int(names.size());

        // The groups a changed row may leave (it was their first row) or join (its values now).
        QHash<GroupKey, RowValues> affected;
        CStatement row(db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1")
                               .arg(names.join(QStringLiteral(", ")), table(def)));
        for (qint32 id : ids) {
            const auto left = state.byFirstRow.find(id);
            if (left != state.byFirstRow.end())
                affected.insert(left->second.key, left->second.values);
            row.reset();
            row.bind(1, id);
            if (row.step()) {
                RowValues values = readValues(row, 0, count);
                affected.insert(groupKey(values, db.isServer()), std::move(values));
            }
        }

        // Each affected group's first row now, through the column's index.
        QStringList conditions;
        for (int column = 0; column < count; ++column)
            conditions << (db.isServer()
                               // The column's index finds the rows equal but for letter case.
                               ? QStringLiteral("(%1 = ?%2 OR %1 IS NULL AND ?%2 IS NULL) AND "
                                                "%1 COLLATE BINARY IS ?%2")
                               : QStringLiteral("%1 IS ?%2"))
                              .arg(names[column])
                              .arg(column + 1);
        CStatement first(db, QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3 ORDER BY rowid "
                                            "LIMIT 1")
                                 .arg(names.join(QStringLiteral(", ")), table(def),
                                      conditions.join(QStringLiteral(" AND "))));
        struct Found {
            GroupKey key;
            bool exists = false;
            qint32 row = 0;
            RowValues values;
        };
        std::vector<Found> found;
        for (auto group = affected.cbegin(); group != affected.cend(); ++group) {
            first.reset();
            for (int column = 0; column < count; ++column)
                first.bind(column + 1, group.value().at(column));
            if (first.step())
                found.push_back({group.key(), true, static_cast<qint32>(first.int64(0)),
                                 readValues(first, 1, count)});
            else
                found.push_back({group.key(), false, 0, {}});
        }

        // Every old entry goes before any new one comes, since a row may move from one
        // group to another.
        std::vector<const Found*> added;
        for (const Found& now : found) {
            const auto known = state.firstRowOfKey.constFind(now.key);
            if (known != state.firstRowOfKey.cend()) {
                const auto entry = state.byFirstRow.find(*known);
                if (now.exists && now.row == entry->first && now.values == entry->second.values)
                    continue;
                entryRemoved(source, entry->first, entry->second.values, lists);
                state.byFirstRow.erase(entry);
                state.firstRowOfKey.erase(known);
            }
            if (now.exists)
                added.push_back(&now);
        }
        // In the order of their rows, as a full read meets them.
        std::sort(added.begin(), added.end(),
                  [](const Found* a, const Found* b) { return a->row < b->row; });
        for (const Found* now : added) {
            state.firstRowOfKey.insert(now->key, now->row);
            state.byFirstRow.emplace(now->row, Entry{now->key, now->values});
            entryAdded(source, now->row, now->values, lists);
        }
    }

    if (tableName != QLatin1String("Group"))
        return;
    CStatement name(db, QStringLiteral("SELECT `Name` FROM `Group` WHERE rowid = ?1"));
    for (qint32 id : ids) {
        const auto old = m_groups.find(id);
        if (old != m_groups.end()) {
            lists.groups.removeSorted(old->second);
            m_groups.erase(old);
        }
        name.reset();
        name.bind(1, id);
        if (name.step()) {
            const QString text = name.text(0);
            m_groups.emplace(id, text);
            lists.groups.insertSorted(text);
        }
    }
}
